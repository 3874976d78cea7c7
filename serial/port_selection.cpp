#include "serial/port_selection.h"

#include "ui/windows.h"

namespace trelvin2 {
namespace {

PortHandle OpenAtLoaderSettings(Program& program, const std::string& device_name) {
  return program.link.SerialOpen(device_name + kLoaderLineSettings, 0, kQueueSize, kQueueSize);
}

}  // namespace

int PortDiscovery(Program& program) {
  Toolkit& tk = program.toolkit;
  int found = 0;
  for (int n = kFirstComNumber; n <= kLastComNumber; ++n) {
    const std::string name = "com" + std::to_string(n);
    const PortHandle probe = OpenAtLoaderSettings(program, name);
    if (probe == 0) continue;  // no such device, or another program holds it
    tk.AddControlItem(kPortList, kAppend, name);
    const std::string where = program.link.DescribePort(name);
    if (!where.empty()) tk.SetControlItemHint(kPortList, found, where);
    program.link.SerialClose(probe);
    ++found;
  }
  tk.SetControlState(kPortList, 0);
  if (found == 0) tk.SetControlText(kPortMessageControl, kNoPortMessage);
  return found;
}

bool PortSelection(Program& program) {
  Toolkit& tk = program.toolkit;
  OpenPortWindow(program);
  tk.ActivateWindow(kPortWindow);
  PortDiscovery(program);

  for (;;) {
    const int event = tk.WaitEvent(kNoTimeLimit);
    if (tk.ForegroundWindowNumber() != kPortWindow) tk.ActivateWindow(kPortWindow);
    if (event == kCloseRequest) return false;  // from any window; nothing has been sent
    if (event != kControlActivity || tk.EventControl() != kPortOkButton) continue;

    // With an empty list the name is empty, and an empty name never opens.
    program.working_port = OpenAtLoaderSettings(program, tk.GetControlText(kPortList));
    if (program.working_port != 0) break;
    tk.SetControlText(kPortMessageControl, kOpenFailedMessage);
    program.clock.Pause(kFailedOpenPauseMs);
  }
  tk.CloseWindow(kPortWindow);
  return true;
}

}  // namespace trelvin2
