#include "serial/posix/posix_serial_link.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <limits>
#include <optional>

#include "serial/posix/com_names.h"
#include "serial/posix/exclusive_open.h"
#include "serial/posix/latency_timer.h"
#include "serial/posix/line_settings.h"
#include "serial/posix/port_check.h"
#include "serial/posix/timed_read.h"
#include "serial/posix/timed_write.h"

namespace trelvin2 {
namespace {

// The device path on Windows is "\\.\" + name + NUL in a 12-byte buffer: 7 characters at most.
constexpr std::size_t kMaxDeviceNameLength = 7;

// 1 for "com1" ... 9 for "com9", the case of "com" not mattering as on Windows; nullopt else.
// The node path leads to, or path itself where it leads nowhere.
std::string NodeOf(const std::string& path) {
  std::string real = RealPath(path);
  return real.empty() ? path : real;
}

// Raises DTR and lowers RTS, as the Windows mode parser with RTS control disabled leaves them.
// A pty has no modem lines and refuses both: nothing to do about it.
void SetModemLines(int fd) {
  const int rts = TIOCM_RTS;
  const int dtr = TIOCM_DTR;
  ioctl(fd, TIOCMBIC, &rts);
  ioctl(fd, TIOCMBIS, &dtr);
}

// constant + multiplier x length, held at the largest int for lengths no caller would ask for.
int TotalLimitMs(int constant_ms, int multiplier_ms, std::int32_t length) {
  const std::int64_t limit = constant_ms + std::int64_t{multiplier_ms} * length;
  return static_cast<int>(std::min<std::int64_t>(limit, std::numeric_limits<int>::max()));
}

void CloseClaimed(int fd) {
  ReleaseExclusive(fd);
  close(fd);
}

}  // namespace

PosixSerialLink::PosixSerialLink(std::string device_dir, std::string lock_dir)
    : device_dir_(std::move(device_dir)), lock_dir_(std::move(lock_dir)) {}

PosixSerialLink::~PosixSerialLink() {
  for (auto& [handle, port] : open_ports_) {
    CloseClaimed(port.fd);
    port.locks.Release();
  }
}

std::string PosixSerialLink::DevicePath(std::string_view device_name) const {
  const std::optional<int> number = ComNumber(device_name);
  if (!number) return {};
  return MapComNames(device_dir_, ConsoleNodes())[static_cast<std::size_t>(*number - 1)];
}

int PosixSerialLink::Descriptor(PortHandle port) const {
  const auto found = open_ports_.find(port);
  return found == open_ports_.end() ? -1 : found->second.fd;
}

// The handshake mode is always 0 (no flow control), which is what every port gets here.
// Queue sizes have no counterpart on Linux: the tty layer sizes its buffers itself, so both are
// ignored, as Windows ignores them when either is 0.
PortHandle PosixSerialLink::SerialOpen(std::string_view mode_text, std::int32_t /*handshake*/,
                                       std::int32_t /*receive_queue*/,
                                       std::int32_t /*transmit_queue*/) {
  const std::string_view name = ModeDeviceName(mode_text);
  last_denial_ = {};
  if (name.empty() || name.size() > kMaxDeviceNameLength) return 0;
  return SerialOpenPath(DevicePath(name), mode_text);
}

PortHandle PosixSerialLink::SerialOpenPath(const std::string& path, std::string_view mode_text) {
  if (path.empty()) return 0;
  const std::string real_path = NodeOf(path);
  // Every check that can refuse the port comes before the first change to the line: a port that
  // is someone's terminal or another program's line keeps its settings.
  if (!CheckHoldersByName(path, real_path, lock_dir_).Free()) return 0;

  // O_NONBLOCK: neither the open nor any later read or write may wait on modem lines;
  // O_NOCTTY: a port is never this process's controlling terminal.
  const int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    if (errno == EACCES || errno == EPERM) last_denial_ = {real_path, NodeGroup(real_path)};
    return 0;
  }
  // A node without a UART behind it (the spare ttyS nodes) fails here: it is not a port.
  termios tio{};
  if (tcgetattr(fd, &tio) != 0 || !ClaimExclusive(fd)) {
    close(fd);
    return 0;
  }
  // Other serial programs (minicom, cu, ...) look for lock files, not for our flock.
  UucpLocks locks;
  if (!locks.Take(lock_dir_, LockNamesToTake(path, real_path))) {
    CloseClaimed(fd);
    return 0;
  }

  // Settings that cannot be parsed or applied leave the port as it is, open all the same.
  const std::optional<LineSettings> settings = ParseLineSettings(mode_text);
  if (settings && ApplyLineSettings(*settings, tio) && tcsetattr(fd, TCSANOW, &tio) == 0) {
    SetModemLines(fd);
  }
  AskForLowLatency(fd);

  const PortHandle handle = next_handle_++;
  open_ports_[handle] = OpenPort{fd, std::move(locks)};
  return handle;
}

int PosixSerialLink::SerialWrite(PortHandle port, const std::uint8_t* bytes, std::int32_t length) {
  const int fd = Descriptor(port);
  if (fd < 0 || length < 0 || (bytes == nullptr && length > 0)) return 0;
  const int limit_ms =
      TotalLimitMs(kWriteTotalTimeoutConstantMs, kWriteTotalTimeoutMultiplierMs, length);
  return TimedWrite(fd, bytes, length, limit_ms) ? 1 : 0;
}

int PosixSerialLink::SerialRead(PortHandle port, std::uint8_t* buffer, std::int32_t length) {
  const int fd = Descriptor(port);
  if (fd < 0 || length < 0 || (buffer == nullptr && length > 0)) return 0;
  if (length == 0) return 1;
  const int limit_ms =
      TotalLimitMs(kReadTotalTimeoutConstantMs, kReadTotalTimeoutMultiplierMs, length);
  return TimedRead(fd, buffer, length, kReadIntervalTimeoutMs, limit_ms).ok ? 1 : 0;
}

std::int32_t PosixSerialLink::SerialBytesWaiting(PortHandle port) {
  const int fd = Descriptor(port);
  int waiting = 0;
  if (fd < 0 || ioctl(fd, FIONREAD, &waiting) != 0) return 0;
  return waiting;
}

void PosixSerialLink::SerialClose(PortHandle port) {
  const auto found = open_ports_.find(port);
  if (found == open_ports_.end()) return;
  CloseClaimed(found->second.fd);
  open_ports_.erase(found);  // and with it our lock files
}

std::string PosixSerialLink::DescribePort(std::string_view device_name) {
  const std::string path = DevicePath(device_name);
  return path.empty() ? std::string() : NodeOf(path);
}

}  // namespace trelvin2
