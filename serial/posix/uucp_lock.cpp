#include "serial/posix/uucp_lock.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string_view>

namespace trelvin2 {
namespace {

// A HDB lock file holds the PID as ten ASCII digits and a newline; the older binary form holds
// it as a 4-byte integer. Anything larger is not a lock file of either kind.
constexpr off_t kLockFileMaxBytes = 64;
constexpr std::size_t kBinaryPidBytes = sizeof(std::int32_t);
constexpr const char* kPtsPrefix = "/dev/pts/";
// The kernel gives up on a chain of links after 40; real aliases are one or two links deep.
constexpr int kMaxLinksFollowed = 40;

std::string BaseName(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

void AddOnce(std::vector<std::string>& names, const std::string& name) {
  if (!name.empty() && std::find(names.begin(), names.end(), name) == names.end()) {
    names.push_back(name);
  }
}

std::optional<pid_t> ParsePid(std::string_view content) {
  // Four bytes that are not all text are the binary form: its first byte may well be a digit
  // (PID 0x1234 starts with '4'), but its last is 0 for any PID the kernel hands out. Text may go
  // on after the number (some programs add their name).
  const bool binary = content.size() == kBinaryPidBytes &&
                      content.find_first_not_of(" \t\n0123456789") != std::string_view::npos;
  const std::size_t first = content.find_first_not_of(" \t");
  if (!binary && first != std::string_view::npos && content[first] >= '0' &&
      content[first] <= '9') {
    long pid = 0;
    for (std::size_t i = first; i < content.size() && content[i] >= '0' && content[i] <= '9'; ++i) {
      pid = pid * 10 + (content[i] - '0');
      if (pid > INT32_MAX) return std::nullopt;
    }
    return static_cast<pid_t>(pid);
  }
  if (binary) {
    std::int32_t pid = 0;
    std::memcpy(&pid, content.data(), kBinaryPidBytes);
    return static_cast<pid_t>(pid);
  }
  return std::nullopt;
}

enum class LockState { kNone, kInvalid, kStale, kLive };

struct LockFile {
  LockState state = LockState::kNone;
  pid_t pid = 0;
};

// Reads a lock file without ever waiting: O_NONBLOCK so that a FIFO planted under the name
// cannot stall the open, O_NOFOLLOW so that a link cannot lead us elsewhere, and only a small
// regular file is read at all.
LockFile ReadLockFile(const std::string& path) {
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return {errno == ENOENT ? LockState::kNone : LockState::kInvalid, 0};
  struct stat info {};
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size > kLockFileMaxBytes) {
    close(fd);
    return {LockState::kInvalid, 0};
  }
  char text[kLockFileMaxBytes];
  ssize_t size;
  do {
    size = read(fd, text, sizeof text);
  } while (size < 0 && errno == EINTR);
  close(fd);
  if (size <= 0) return {LockState::kInvalid, 0};
  const std::optional<pid_t> pid = ParsePid(std::string_view(text, static_cast<std::size_t>(size)));
  // PID 0 or less would address process groups, not a holder: such a file is garbage.
  if (!pid || *pid <= 0) return {LockState::kInvalid, 0};
  // EPERM: the process exists but belongs to another user, so it is alive all the same.
  const bool alive = kill(*pid, 0) == 0 || errno == EPERM;
  return {alive ? LockState::kLive : LockState::kStale, *pid};
}

// Writes our PID into a fresh file of the folder and links it to path: the lock appears whole
// or not at all, and link() fails if the name is taken. 0, or the errno of the failure.
int CreateLockFile(const std::string& lock_dir, const std::string& path) {
  std::string temp = lock_dir + "/LTMP.XXXXXX";
  const int fd = mkstemp(temp.data());
  if (fd < 0) return errno;
  char text[16];
  const int length = std::snprintf(text, sizeof text, "%10d\n", static_cast<int>(getpid()));
  // Other users' programs read the lock: it must be readable whatever our umask is.
  const bool written = fchmod(fd, 0644) == 0 && write(fd, text, static_cast<std::size_t>(length)) ==
                                                    static_cast<ssize_t>(length);
  close(fd);
  const int result = !written ? EIO : link(temp.c_str(), path.c_str()) == 0 ? 0 : errno;
  unlink(temp.c_str());
  return result;
}

}  // namespace

std::vector<std::string> LockNamesToCheck(const std::string& path, const std::string& real_path) {
  std::vector<std::string> names = LockNamesToTake(path, real_path);
  // The links between: /dev/com1 may point at /dev/serial/by-id/usb-..., which points at the node,
  // and a program given the middle name locks that.
  std::string current = path;
  for (int step = 0; step < kMaxLinksFollowed; ++step) {
    char target[PATH_MAX];
    const ssize_t size = readlink(current.c_str(), target, sizeof target - 1);
    if (size <= 0) break;
    std::string next(target, static_cast<std::size_t>(size));
    if (next.front() != '/') next = current.substr(0, current.rfind('/') + 1) + next;
    AddOnce(names, BaseName(next));
    current = next;
  }
  if (real_path.starts_with(kPtsPrefix)) {
    const std::string number = real_path.substr(std::strlen(kPtsPrefix));
    AddOnce(names, "pts_" + number);
    AddOnce(names, "pts-" + number);
  }
  return names;
}

std::vector<std::string> LockNamesToTake(const std::string& path, const std::string& real_path) {
  std::vector<std::string> names;
  AddOnce(names, BaseName(path));
  AddOnce(names, BaseName(real_path));
  return names;
}

LockHolder LiveLockHolder(const std::string& lock_dir, const std::vector<std::string>& names) {
  for (const std::string& name : names) {
    const std::string file = lock_dir + "/LCK.." + name;
    const LockFile lock = ReadLockFile(file);
    if (lock.state == LockState::kLive) return {lock.pid, file};
  }
  return {};
}

UucpLocks& UucpLocks::operator=(UucpLocks&& other) noexcept {
  if (this != &other) {
    Release();
    files_ = std::move(other.files_);
    other.files_.clear();
  }
  return *this;
}

bool UucpLocks::Take(const std::string& lock_dir, const std::vector<std::string>& names) {
  for (const std::string& name : names) {
    const std::string file = lock_dir + "/LCK.." + name;
    // Twice at most: once more after removing a stale lock.
    int error = 0;
    for (int attempt = 0; attempt < 2; ++attempt) {
      error = CreateLockFile(lock_dir, file);
      if (error != EEXIST) break;
      const LockFile lock = ReadLockFile(file);
      if (lock.state == LockState::kLive && lock.pid != getpid()) {
        Release();
        return false;
      }
      // A lock whose holder is gone is left over from a crash: take the name over, as minicom
      // does. Anything else under the name (our own lock, a file that is no lock) stays.
      if (lock.state != LockState::kStale || unlink(file.c_str()) != 0) break;
    }
    if (error == 0) files_.push_back(file);
    // Any other failure (a folder we may not write, a full disk) leaves the name unannounced.
  }
  return true;
}

void UucpLocks::Release() {
  for (const std::string& file : files_) {
    const LockFile lock = ReadLockFile(file);
    if (lock.pid == getpid()) unlink(file.c_str());
  }
  files_.clear();
}

}  // namespace trelvin2
