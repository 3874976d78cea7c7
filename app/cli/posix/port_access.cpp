#include "app/cli/posix/port_access.h"

#include <limits.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>

#include "serial/port_selection.h"

namespace trelvin2 {
namespace {

bool IsComName(std::string_view name) {
  return name.size() == 4 && (name[0] | 0x20) == 'c' && (name[1] | 0x20) == 'o' &&
         (name[2] | 0x20) == 'm' && name[3] >= '1' && name[3] <= '9';
}

std::string RealPath(const std::string& path) {
  char* real = realpath(path.c_str(), nullptr);
  if (real == nullptr) return {};
  std::string result(real);
  std::free(real);
  return result;
}

// The program named in a live UUCP lock file of the node ("minicom, PID 4711"), "" when none.
std::string LockHolder(const std::string& lock_dir, const std::string& real_path) {
  const std::string base = real_path.substr(real_path.rfind('/') + 1);
  std::ifstream lock(lock_dir + "/LCK.." + base);
  long pid = 0;
  if (!(lock >> pid) || pid <= 0 || pid > INT_MAX) return {};
  if (kill(static_cast<pid_t>(pid), 0) != 0 && errno != EPERM) return {};
  std::ifstream comm("/proc/" + std::to_string(pid) + "/comm");
  std::string program;
  std::getline(comm, program);
  return (program.empty() ? "PID " : program + ", PID ") + std::to_string(pid);
}

}  // namespace

bool CliPortNameOk(std::string_view name) {
  return IsComName(name) || name.find('/') != std::string_view::npos;
}

PortHandle OpenCliPort(PosixSerialLink& link, const std::string& name) {
  if (IsComName(name)) {
    return link.SerialOpen(name + kLoaderLineSettings, 0, kQueueSize, kQueueSize);
  }
  return link.SerialOpenPath(name, kLoaderLineSettings);
}

std::string DescribeCliPort(PosixSerialLink& link, const std::string& name) {
  return IsComName(name) ? link.DescribePort(name) : RealPath(name);
}

std::vector<PortListing> ListCliPorts(PosixSerialLink& link, const std::string& lock_dir) {
  std::vector<PortListing> ports;
  for (int n = kFirstComNumber; n <= kLastComNumber; ++n) {
    PortListing port;
    port.name = "com" + std::to_string(n);
    port.device = link.DescribePort(port.name);
    if (!port.device.empty()) {
      const PortHandle probe = OpenCliPort(link, port.name);
      if (probe != 0) {
        link.SerialClose(probe);
        port.state = PortListing::State::kFree;
      } else if (access(port.device.c_str(), R_OK | W_OK) != 0 && errno == EACCES) {
        port.state = PortListing::State::kNotPermitted;
      } else {
        port.state = PortListing::State::kHeld;
        port.holder = LockHolder(lock_dir, port.device);
      }
    }
    ports.push_back(port);
  }
  return ports;
}

}  // namespace trelvin2
