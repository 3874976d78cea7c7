#include "serial/posix/device_users.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>
#include <string_view>

namespace trelvin2 {
namespace {

// /proc/<pid>/stat is one line; its command name is at most 16 bytes, so the fields up to
// tty_nr fit easily.
constexpr std::size_t kStatReadBytes = 512;

// Calls visit for every numeric entry of proc_dir until it returns true; yields that PID or 0.
pid_t FindProcess(const std::string& proc_dir, const std::function<bool(pid_t)>& visit) {
  DIR* dir = opendir(proc_dir.c_str());
  if (dir == nullptr) return 0;
  pid_t found = 0;
  while (const dirent* entry = readdir(dir)) {
    char* end = nullptr;
    const long pid = std::strtol(entry->d_name, &end, 10);
    if (pid <= 0 || *end != '\0') continue;
    if (visit(static_cast<pid_t>(pid))) {
      found = static_cast<pid_t>(pid);
      break;
    }
  }
  closedir(dir);
  return found;
}

// The session and tty_nr fields of a /proc/<pid>/stat line. The command name in parentheses may
// hold spaces and parentheses itself, so the fields are counted from the last ')'.
bool ParseStat(std::string_view line, long* session, long* tty_nr) {
  const std::size_t close = line.rfind(')');
  if (close == std::string_view::npos) return false;
  std::istringstream fields{std::string(line.substr(close + 1))};
  std::string state;
  long ppid = 0, pgrp = 0;
  return static_cast<bool>(fields >> state >> ppid >> pgrp >> *session >> *tty_nr);
}

}  // namespace

pid_t ControllingSessionOf(dev_t rdev, const std::string& proc_dir) {
  pid_t session_found = 0;
  FindProcess(proc_dir, [&](pid_t pid) {
    const std::string path = proc_dir + "/" + std::to_string(pid) + "/stat";
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    char text[kStatReadBytes];
    const ssize_t size = read(fd, text, sizeof text);
    close(fd);
    long session = 0, tty_nr = 0;
    if (size <= 0 ||
        !ParseStat(std::string_view(text, static_cast<std::size_t>(size)), &session, &tty_nr)) {
      return false;
    }
    // The kernel's encoding of tty_nr: minor bits 0-7 and 20-31, major bits 8-19.
    const auto number = static_cast<unsigned long>(tty_nr);
    const unsigned tty_major = (number >> 8) & 0xfff;
    const unsigned tty_minor = (number & 0xff) | ((number >> 12) & 0xfff00);
    if (tty_nr == 0 || tty_major != major(rdev) || tty_minor != minor(rdev)) return false;
    session_found = session > 0 ? static_cast<pid_t>(session) : pid;
    return true;
  });
  return session_found;
}

pid_t FlockHolderOf(dev_t dev, ino_t inode, const std::string& proc_dir) {
  // "1: FLOCK  ADVISORY  WRITE 1234 00:05:87 0 EOF": the device in hex major:minor.
  std::ifstream locks(proc_dir + "/locks");
  std::string line;
  while (std::getline(locks, line)) {
    std::istringstream fields(line);
    std::string number, kind, mode, access, where;
    long pid = 0;
    if (!(fields >> number >> kind)) continue;
    if (kind == "->") fields >> kind;  // a waiter on the lock above
    if (!(fields >> mode >> access >> pid >> where) || kind != "FLOCK") continue;
    unsigned dev_major = 0, dev_minor = 0;
    unsigned long file_inode = 0;
    if (std::sscanf(where.c_str(), "%x:%x:%lu", &dev_major, &dev_minor, &file_inode) != 3) continue;
    if (dev_major == major(dev) && dev_minor == minor(dev) && file_inode == inode && pid > 0) {
      return static_cast<pid_t>(pid);
    }
  }
  return 0;
}

pid_t OtherProcessWithOpen(const std::string& real_path, const std::string& proc_dir) {
  const pid_t self = getpid();
  return FindProcess(proc_dir, [&](pid_t pid) {
    if (pid == self) return false;
    const std::string fd_dir = proc_dir + "/" + std::to_string(pid) + "/fd";
    DIR* dir = opendir(fd_dir.c_str());
    if (dir == nullptr) return false;  // another user's process, or gone
    bool found = false;
    while (const dirent* entry = readdir(dir)) {
      if (entry->d_name[0] == '.') continue;
      char target[256];
      const ssize_t size =
          readlink((fd_dir + "/" + entry->d_name).c_str(), target, sizeof target - 1);
      if (size > 0 && std::string_view(target, static_cast<std::size_t>(size)) == real_path) {
        found = true;
        break;
      }
    }
    closedir(dir);
    return found;
  });
}

}  // namespace trelvin2
