#include "app/program_run.h"

#include "app/status_line.h"
#include "app/update_sequence.h"
#include "data/embedded_data.h"
#include "serial/port_selection.h"
#include "ui/settings_flow.h"
#include "ui/windows.h"

namespace trelvin2 {
namespace {

constexpr int kMainLoopWaitMs = 100;  // keeps the idle loop responsive without spinning
constexpr const char* kVersionText = "Version 3.00";

}  // namespace

void StartUp(Program& program) {
  Toolkit& tk = program.toolkit;
  program.image_cursor.Rewind();
  program.font_handles[kFontCourier10] = tk.LoadFont(kFontCourier10, "Courier New", 10, 0);
  program.font_handles[kFontArial9Bold] = tk.LoadFont(kFontArial9Bold, "Arial", 9, kFontBold);
  program.font_handles[kFontArial9] = tk.LoadFont(kFontArial9, "Arial", 9, 0);
  program.font_handles[kFontArial11Bold] = tk.LoadFont(kFontArial11Bold, "Arial", 11, kFontBold);
  const auto banner = BannerBmp();
  program.banner_image = tk.ImageFromMemory(kBannerImage, banner.data(), banner.size());
  tk.LoadFont(kFontArial12Bold, "Arial", 12, kFontBold);
  tk.LoadFont(kFontArial10, "Arial", 10, 0);
  program.status_grey = kStatusGrey;
  program.profiles = BuildDeviceProfileTable();
  OpenMainWindow(program);
  tk.SetControlText(kVersionControl, kVersionText);
}

void MainLoop(Program& program) {
  Toolkit& tk = program.toolkit;
  do {
    program.last_event_code = tk.WaitEvent(kMainLoopWaitMs);
    program.last_event_control = tk.EventControl();
    if (program.last_event_code == kControlActivity && program.last_event_control == kStartButton) {
      UpdateSequence(program);
    }
  } while (program.last_event_code != kCloseRequest);
}

void Shutdown(Program& program) { program.toolkit.ReleaseAll(); }

int RunProgram(Program& program) {
  StartUp(program);
  if (PortSelection(program) && SettingsFlow(program)) {
    program.active_profile = kTrelvin2ProfileIndex;
    MainLoop(program);
  }
  Shutdown(program);
  return 0;
}

}  // namespace trelvin2
