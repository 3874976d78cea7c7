// What the kernel tells every user, through /proc, about the processes that use a device node:
// whose controlling terminal it is, who flock()s it, who has it open.
#pragma once

#include <sys/types.h>

#include <string>

namespace trelvin2 {

// The session (its leader's PID) whose controlling terminal is the tty with device number
// rdev: a login shell, a terminal emulator's shell, a getty on a serial console. 0 when none.
// Read from the tty_nr field of /proc/<pid>/stat, which every user may read.
pid_t ControllingSessionOf(dev_t rdev, const std::string& proc_dir = "/proc");

// The process holding a flock() on the file with this device and inode number, 0 when none
// or unknown (from /proc/locks).
pid_t FlockHolderOf(dev_t dev, ino_t inode, const std::string& proc_dir = "/proc");

// A process other than ours with real_path open, 0 when none is seen: other users' descriptors
// are visible to root only.
pid_t OtherProcessWithOpen(const std::string& real_path, const std::string& proc_dir = "/proc");

}  // namespace trelvin2
