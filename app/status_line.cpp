#include "app/status_line.h"

namespace trelvin2 {

void ShowStatus(Program& program, std::string_view text) {
  program.toolkit.SetControlColour(kStatusLineControl, kColourBackground, program.status_grey);
  program.toolkit.SetControlText(kStatusLineControl, text);
}

void ReportError(Program& program, std::string_view text) {
  program.toolkit.SetControlColour(kStatusLineControl, kColourText, kErrorRed);
  program.toolkit.SetControlColour(kStatusLineControl, kColourBackground, program.status_grey);
  ShowStatus(program, text);
}

}  // namespace trelvin2
