// Which device node each of the names com1 to com9 stands for on Linux.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace trelvin2 {

// The program only ever offers com1 to com9.
inline constexpr int kComNameCount = 9;

// N for "comN" with N from 1 to 9, in any case ("COM3" too); nothing for other names.
std::optional<int> ComNumber(std::string_view name);

// The node a path finally leads to, so an alias and its target compare equal; empty when the
// path leads nowhere (a missing node or a dangling link).
std::string RealPath(const std::string& path);

// Device path for com1 at index 0 ... com9 at index 8; an empty string where a name has no device.
using ComNameMap = std::array<std::string, kComNameCount>;

// comN is <device_dir>/comN wherever such an alias exists (a udev rule or a symlink to, say,
// ttyUSB0). The numbers left over take, lowest first, the existing nodes ttyUSB0-9, ttyACM0-9,
// ttyS0-31 in that order, skipping nodes an alias already names, so one device never shows under
// two names and a lone USB adapter is com1. Nodes whose real path is among excluded_nodes (the
// system's console, which a device on the bench never is) take no number unless an alias names
// them. Only looks at the directory; opens nothing.
ComNameMap MapComNames(const std::string& device_dir = "/dev",
                       const std::vector<std::string>& excluded_nodes = {});

// The real paths of the kernel's active consoles ("ttyS0" in console_list, the contents of
// /sys/class/tty/console/active, becomes /dev/ttyS0): a serial console is the machine's own line.
std::vector<std::string> ConsoleNodes(
    const std::string& console_list_path = "/sys/class/tty/console/active");

}  // namespace trelvin2
