#include "ui/settings_flow.h"

#include <string>

#include "ui/windows.h"

namespace trelvin2 {
namespace {

constexpr int kDefaultRatePosition = 8;     // 115200
constexpr int kDefaultFramingPosition = 2;  // 8N1

}  // namespace

std::optional<std::uint8_t> ProtocolCodeOf(std::string_view framing) {
  if (framing == "8N1") return kProtocol8N1;
  if (framing == "8E1") return kProtocol8E1;
  if (framing == "8O1") return kProtocol8O1;
  return std::nullopt;
}

bool SettingsFlow(Program& program) {
  Toolkit& tk = program.toolkit;
  OpenSettingsWindow(program);
  for (std::string_view rate : kRateTexts) tk.AddControlItem(kRateList, kAppend, rate);
  tk.SetControlState(kRateList, kDefaultRatePosition);
  for (std::string_view framing : kFramingTexts) tk.AddControlItem(kFramingList, kAppend, framing);
  tk.SetControlState(kFramingList, kDefaultFramingPosition);

  for (;;) {
    const int event = tk.WaitEvent(kNoTimeLimit);
    if (event == kCloseRequest) return false;  // whichever window it names
    if (event != kControlActivity || tk.EventControl() != kSaveButton) continue;

    const std::string framing = tk.GetControlText(kFramingList);
    // The list cannot be edited, so one of the three texts is always selected.
    program.settings.protocol_code = ProtocolCodeOf(framing).value_or(kProtocol8N1);
    program.settings.baud_code = static_cast<std::uint8_t>(tk.GetControlState(kRateList));
    tk.SetControlText(kChosenBaudControl, kBaudPrefix + tk.GetControlText(kRateList));
    tk.SetControlText(kChosenProtocolControl, kProtocolPrefix + framing);
    break;
  }
  tk.CloseWindow(kSettingsWindow);
  return true;
}

}  // namespace trelvin2
