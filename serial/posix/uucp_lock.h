// UUCP lock files: the convention by which serial programs (minicom, cu, picocom with its lock
// option, QSerialPort, gettys) tell each other that they hold a line, as /var/lock/LCK..<name>
// holding the holder's PID.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace trelvin2 {

// The names under which other programs may have locked the line that path leads to: each program
// locks by the name it was given, so the alias ("com7"), every link on the way to the node (a
// udev by-id name), the node itself ("ttyUSB0"), and for a pseudo-terminal /dev/pts/N the forms
// "N", "pts_N" and "pts-N" all count.
std::vector<std::string> LockNamesToCheck(const std::string& path, const std::string& real_path);

// The names we announce our own hold under: the name the port was opened by and the node's.
std::vector<std::string> LockNamesToTake(const std::string& path, const std::string& real_path);

struct LockHolder {
  pid_t pid = 0;     // 0: no live holder
  std::string file;  // the lock file naming it
};

// The first lock file LCK..<name> in lock_dir that names a live process (ours too: a port we
// hold already is not free for a second open). Lock
// files are only read, never waited on: anything but a small regular file (a FIFO, a directory,
// a link, a device) is no valid lock, nor is a PID that names no process (a stale lock).
LockHolder LiveLockHolder(const std::string& lock_dir, const std::vector<std::string>& names);

// Our own lock files, each created atomically with our PID in the 10-character ASCII form and
// removed again by Release or the destructor.
class UucpLocks {
 public:
  UucpLocks() = default;
  ~UucpLocks() { Release(); }
  UucpLocks(UucpLocks&& other) noexcept : files_(std::move(other.files_)) { other.files_.clear(); }
  UucpLocks& operator=(UucpLocks&& other) noexcept;
  UucpLocks(const UucpLocks&) = delete;
  UucpLocks& operator=(const UucpLocks&) = delete;

  // Takes LCK..<name> for each name. False, with nothing taken, when another live process holds
  // one of them (it came between the check and now). A stale lock is replaced. Where the folder
  // is not writable for us, or a name is blocked by something that is no valid lock, the hold
  // goes on without that file, as other serial programs do.
  bool Take(const std::string& lock_dir, const std::vector<std::string>& names);
  // Removes the files we created, each only while it still names us.
  void Release();

  const std::vector<std::string>& Files() const { return files_; }

 private:
  std::vector<std::string> files_;
};

}  // namespace trelvin2
