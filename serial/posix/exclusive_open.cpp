#include "serial/posix/exclusive_open.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string_view>

namespace trelvin2 {
namespace {

// A HDB lock file holds the PID as ten ASCII digits and a newline; the older binary form holds
// it as a 4-byte integer. Either fits easily.
constexpr std::size_t kLockFileMaxBytes = 64;
constexpr std::size_t kBinaryPidBytes = sizeof(std::int32_t);

std::optional<pid_t> ReadLockPid(const std::string& path) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
  if (fd < 0) return std::nullopt;
  char text[kLockFileMaxBytes];
  ssize_t size;
  do {
    size = read(fd, text, sizeof text);
  } while (size < 0 && errno == EINTR);
  close(fd);
  if (size <= 0) return std::nullopt;

  std::string_view content(text, static_cast<std::size_t>(size));
  const std::size_t first = content.find_first_not_of(" \t");
  if (first != std::string_view::npos && content[first] >= '0' && content[first] <= '9') {
    long pid = 0;
    for (std::size_t i = first; i < content.size() && content[i] >= '0' && content[i] <= '9'; ++i) {
      pid = pid * 10 + (content[i] - '0');
      if (pid > INT32_MAX) return std::nullopt;
    }
    return static_cast<pid_t>(pid);
  }
  if (content.size() == kBinaryPidBytes) {
    std::int32_t pid = 0;
    std::memcpy(&pid, content.data(), kBinaryPidBytes);
    return static_cast<pid_t>(pid);
  }
  return std::nullopt;
}

}  // namespace

bool HeldByLockFile(const std::string& lock_dir, const std::string& real_device_path) {
  const std::size_t slash = real_device_path.rfind('/');
  const std::string base =
      slash == std::string::npos ? real_device_path : real_device_path.substr(slash + 1);
  const std::optional<pid_t> pid = ReadLockPid(lock_dir + "/LCK.." + base);
  // PID 0 or less would address process groups, not a holder: such a file is garbage.
  if (!pid || *pid <= 0) return false;
  // EPERM: the process exists but belongs to another user, so it is alive all the same.
  return kill(*pid, 0) == 0 || errno == EPERM;
}

bool ClaimExclusive(int fd) {
  // Root opens a port despite another's TIOCEXCL, so ask for the flag instead of relying on open.
  int exclusive = 0;
  if (ioctl(fd, TIOCGEXCL, &exclusive) == 0 && exclusive != 0) return false;
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) return false;
  // Our flock already keeps out the polite programs; the flag only adds the others, so a tty
  // that refuses it is still ours.
  ioctl(fd, TIOCEXCL);
  return true;
}

void ReleaseExclusive(int fd) {
  ioctl(fd, TIOCNXCL);
  flock(fd, LOCK_UN);
}

}  // namespace trelvin2
