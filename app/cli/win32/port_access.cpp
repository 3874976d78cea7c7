#include "app/cli/win32/port_access.h"

#include <windows.h>

#include <array>
#include <charconv>

#include "serial/port_selection.h"

namespace trelvin2 {
namespace {

constexpr int kLastComName = 255;  // the highest number Windows gives a COM port

}  // namespace

bool CliPortNameOk(std::string_view name) {
  if (name.size() < 4 || name.size() > 6) return false;
  for (std::size_t i = 0; i < 3; ++i) {
    if ((name[i] | 0x20) != "com"[i]) return false;  // 0x20: ASCII lower case
  }
  int number = 0;
  const auto [end, error] = std::from_chars(name.data() + 3, name.data() + name.size(), number);
  return error == std::errc() && end == name.data() + name.size() && name[3] != '0' &&
         number >= 1 && number <= kLastComName;
}

PortHandle OpenCliPort(Win32SerialLink& link, const std::string& name) {
  return link.SerialOpen(name + kLoaderLineSettings, 0, kQueueSize, kQueueSize);
}

std::vector<PortListing> ListCliPorts(Win32SerialLink& link) {
  std::vector<PortListing> ports;
  for (int n = kFirstComNumber; n <= kLastComNumber; ++n) {
    PortListing port;
    port.name = "com" + std::to_string(n);
    std::array<char, 512> target{};
    const std::string upper = "COM" + std::to_string(n);
    if (QueryDosDeviceA(upper.c_str(), target.data(), static_cast<DWORD>(target.size())) != 0) {
      port.device = link.DescribePort(port.name);
      if (port.device.empty()) port.device = target.data();
      const PortHandle probe = OpenCliPort(link, port.name);
      if (probe != 0) {
        link.SerialClose(probe);
        port.state = PortListing::State::kFree;
      } else {
        // Windows refuses a port that another program holds with "access denied"; any other
        // refusal leaves the port as good as missing.
        port.state = GetLastError() == ERROR_ACCESS_DENIED ? PortListing::State::kHeld
                                                           : PortListing::State::kMissing;
      }
    }
    ports.push_back(port);
  }
  return ports;
}

}  // namespace trelvin2
