// The operator's choice of the device's future rate and framing.
#pragma once

#include <optional>
#include <string_view>

#include "app/program.h"

namespace trelvin2 {

// The rate list, in the order of BaudCode 0 to 8.
inline constexpr std::string_view kRateTexts[] = {"300",   "1200",  "2400",  "4800",  "9600",
                                                  "19200", "38400", "57600", "115200"};
// The framing list, in its shown order; the codes do not follow the positions.
inline constexpr std::string_view kFramingTexts[] = {"8E1", "8O1", "8N1"};

// ProtocolCode of a framing text, compared exactly: "8N1" 0, "8E1" 1, "8O1" 3.
std::optional<std::uint8_t> ProtocolCodeOf(std::string_view framing);

// Shows the settings window until "Speichern": records BaudCode and ProtocolCode, shows them in
// the main window, closes the window and returns true. False when a window's close box was used:
// the program is to end, and nothing has been sent.
bool SettingsFlow(Program& program);

}  // namespace trelvin2
