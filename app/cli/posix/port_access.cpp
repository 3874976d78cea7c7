#include "app/cli/posix/port_access.h"

#include <sys/types.h>

#include <cstdlib>
#include <fstream>

#include "serial/port_selection.h"
#include "serial/posix/com_names.h"
#include "serial/posix/port_check.h"

namespace trelvin2 {
namespace {

// The check's own sentence, with the holder's program name where /proc tells it ("minicom").
std::string HolderText(const PortCheck& check) {
  std::string text = DescribePortCheck(check);
  if (check.holder == 0) return text;
  std::ifstream comm("/proc/" + std::to_string(check.holder) + "/comm");
  std::string program;
  std::getline(comm, program);
  return program.empty() ? text : text + " (" + program + ")";
}

}  // namespace

bool CliPortNameOk(std::string_view name) {
  return ComNumber(name).has_value() || name.find('/') != std::string_view::npos;
}

PortHandle OpenCliPort(PosixSerialLink& link, const std::string& name) {
  if (ComNumber(name).has_value()) {
    return link.SerialOpen(name + kLoaderLineSettings, 0, kQueueSize, kQueueSize);
  }
  return link.SerialOpenPath(name, kLoaderLineSettings);
}

std::string DescribeCliPort(PosixSerialLink& link, const std::string& name) {
  return ComNumber(name).has_value() ? link.DescribePort(name) : RealPath(name);
}

std::vector<PortListing> ListCliPorts(PosixSerialLink& link, const std::string& lock_dir) {
  std::vector<PortListing> ports;
  for (int n = kFirstComNumber; n <= kLastComNumber; ++n) {
    PortListing port;
    port.name = "com" + std::to_string(n);
    const std::string path = link.DevicePath(port.name);
    if (!path.empty()) {
      port.device = RealPath(path);
      // The same checks an open runs, without an open that would touch the line's settings.
      const PortCheck check = CheckPort(path, lock_dir);
      switch (check.verdict) {
        case PortVerdict::kFree:
          port.state = PortListing::State::kFree;
          break;
        case PortVerdict::kNoDevice:
        case PortVerdict::kNotAPort:
          port.state = PortListing::State::kMissing;
          break;
        case PortVerdict::kNoPermission:
          port.state = PortListing::State::kNotPermitted;
          break;
        default:
          port.state = PortListing::State::kHeld;
          port.holder = HolderText(check);
          break;
      }
    }
    ports.push_back(port);
  }
  return ports;
}

}  // namespace trelvin2
