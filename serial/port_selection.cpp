#include "serial/port_selection.h"

#include "ui/windows.h"

namespace trelvin2 {
namespace {

constexpr const char* kDeviceFolder = "/dev/";

PortHandle OpenAtLoaderSettings(Program& program, const std::string& device_name) {
  return program.link.SerialOpen(device_name + kLoaderLineSettings, 0, kQueueSize, kQueueSize);
}

}  // namespace

std::string PermissionMessage(const SerialLink::AccessDenial& denial) {
  // The message field is 225 pixels wide: the node without its folder, so that the usual
  // "Kein Zugriff auf ttyUSB0 (Gruppe dialout)" fits on its one line (218 pixels in font 3).
  std::string_view node = denial.device;
  if (node.starts_with(kDeviceFolder)) node.remove_prefix(std::string_view(kDeviceFolder).size());
  std::string text = "Kein Zugriff auf " + std::string(node);
  if (!denial.group.empty()) text += " (Gruppe " + denial.group + ")";
  return text;
}

int PortDiscovery(Program& program) {
  Toolkit& tk = program.toolkit;
  int found = 0;
  SerialLink::AccessDenial first_denial;
  for (int n = kFirstComNumber; n <= kLastComNumber; ++n) {
    const std::string name = "com" + std::to_string(n);
    const PortHandle probe = OpenAtLoaderSettings(program, name);
    if (probe == 0) {  // no such device, another program holds it, or we may not open it
      if (first_denial.device.empty()) first_denial = program.link.LastAccessDenial();
      continue;
    }
    tk.AddControlItem(kPortList, kAppend, name);
    const std::string where = program.link.DescribePort(name);
    if (!where.empty()) tk.SetControlItemHint(kPortList, found, where);
    program.link.SerialClose(probe);
    ++found;
  }
  tk.SetControlState(kPortList, 0);
  // A port the operator may not open is named whether or not others were found: it may well
  // be the one the device hangs on. "Kein COM-PORT installiert!!" means there is none at all.
  if (!first_denial.device.empty()) {
    tk.SetControlText(kPortMessageControl, PermissionMessage(first_denial));
  } else if (found == 0) {
    tk.SetControlText(kPortMessageControl, kNoPortMessage);
  }
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
