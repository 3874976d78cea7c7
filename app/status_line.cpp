#include "app/status_line.h"

#include "ui/windows.h"

namespace trelvin2 {

void ShowStatus(Program& program, std::string_view text) {
  program.toolkit.SetControlColour(kStatusLine, kColourBackground, program.status_grey);
  program.toolkit.SetControlText(kStatusLine, text);
}

void ReportError(Program& program, std::string_view text) {
  program.toolkit.SetControlColour(kStatusLine, kColourText, kErrorRed);
  program.toolkit.SetControlColour(kStatusLine, kColourBackground, program.status_grey);
  ShowStatus(program, text);
}

}  // namespace trelvin2
