#include "serial/posix/port_check.h"

#include <fcntl.h>
#include <grp.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "serial/posix/com_names.h"
#include "serial/posix/device_users.h"
#include "serial/posix/uucp_lock.h"

namespace trelvin2 {
namespace {

std::string HolderText(pid_t pid) {
  return pid > 0 ? " von Prozess " + std::to_string(pid) : std::string();
}

}  // namespace

PortCheck CheckHoldersByName(const std::string& path, const std::string& real_path,
                             const std::string& lock_dir, const std::string& proc_dir) {
  PortCheck check;
  check.node = real_path;
  const LockHolder lock = LiveLockHolder(lock_dir, LockNamesToCheck(path, real_path));
  if (lock.pid != 0) {
    check.verdict = PortVerdict::kLockFile;
    check.holder = lock.pid;
    check.lock_file = lock.file;
    return check;
  }
  struct stat info {};
  if (stat(real_path.c_str(), &info) != 0) {
    check.verdict = PortVerdict::kNoDevice;
    return check;
  }
  if (S_ISCHR(info.st_mode)) {
    if (const pid_t session = ControllingSessionOf(info.st_rdev, proc_dir)) {
      check.verdict = PortVerdict::kTerminal;
      check.holder = session;
    }
  }
  return check;
}

PortCheck CheckHoldersByDescriptor(int fd, const std::string& real_path,
                                   const std::string& proc_dir) {
  PortCheck check;
  check.node = real_path;
  int exclusive = 0;
  if (ioctl(fd, TIOCGEXCL, &exclusive) == 0 && exclusive != 0) {
    check.verdict = PortVerdict::kExclusive;
    check.holder = OtherProcessWithOpen(real_path, proc_dir);
    return check;
  }
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    check.verdict = PortVerdict::kFlock;
    struct stat info {};
    if (fstat(fd, &info) == 0) check.holder = FlockHolderOf(info.st_dev, info.st_ino, proc_dir);
    return check;
  }
  flock(fd, LOCK_UN);
  return check;
}

std::string NodeGroup(const std::string& real_path) {
  struct stat info {};
  if (stat(real_path.c_str(), &info) != 0) return {};
  const group* entry = getgrgid(info.st_gid);
  return entry != nullptr && info.st_gid != 0 ? std::string(entry->gr_name) : std::string();
}

PortCheck CheckPort(const std::string& path, const std::string& lock_dir,
                    const std::string& proc_dir) {
  const std::string real_path = RealPath(path);
  if (real_path.empty()) return {PortVerdict::kNoDevice, path, 0, {}, {}};
  PortCheck check = CheckHoldersByName(path, real_path, lock_dir, proc_dir);
  if (!check.Free()) return check;

  const int fd = open(real_path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    if (errno == EACCES || errno == EPERM) {
      check.verdict = PortVerdict::kNoPermission;
      check.group = NodeGroup(real_path);
    } else if (errno == EBUSY) {
      check.verdict = PortVerdict::kExclusive;  // TIOCEXCL refuses everyone but root
      check.holder = OtherProcessWithOpen(real_path, proc_dir);
    } else {
      check.verdict = PortVerdict::kNoDevice;
    }
    return check;
  }
  termios tio{};
  if (tcgetattr(fd, &tio) != 0) {
    check.verdict = PortVerdict::kNotAPort;
  } else {
    check = CheckHoldersByDescriptor(fd, real_path, proc_dir);
  }
  close(fd);
  return check;
}

std::string DescribePortCheck(const PortCheck& check) {
  const std::string& node = check.node;
  switch (check.verdict) {
    case PortVerdict::kFree:
      return node + " ist frei";
    case PortVerdict::kNoDevice:
      return node + " gibt es nicht";
    case PortVerdict::kNoPermission:
      return "Keine Berechtigung für " + node +
             (check.group.empty() ? std::string() : " (Gruppe " + check.group + ")");
    case PortVerdict::kNotAPort:
      return node + " ist keine serielle Schnittstelle";
    case PortVerdict::kLockFile:
      return node + " ist belegt: Sperrdatei " + check.lock_file + HolderText(check.holder);
    case PortVerdict::kTerminal:
      return node + " ist das Terminal einer Sitzung" + HolderText(check.holder);
    case PortVerdict::kFlock:
      return node + " ist belegt: gesperrt (flock)" + HolderText(check.holder);
    case PortVerdict::kExclusive:
      return node + " ist belegt: exklusiv geöffnet" + HolderText(check.holder);
  }
  return node;
}

}  // namespace trelvin2
