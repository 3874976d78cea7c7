// Whether a serial node is free for us, and if not, who holds it and how: the checks every
// open of a port runs before it changes anything on the line, also usable on their own.
#pragma once

#include <sys/types.h>

#include <string>

namespace trelvin2 {

enum class PortVerdict {
  kFree,
  kNoDevice,      // the path leads to nothing
  kNoPermission,  // we may not open the node (EACCES): see group
  kNotAPort,      // opens, but has no line settings (a ttyS node without a UART)
  kLockFile,      // a UUCP lock file names a live process: see lock_file, holder
  kTerminal,      // it is the controlling terminal of a session: holder is its leader
  kFlock,         // another descriptor holds a flock() on it
  kExclusive,     // another descriptor set its exclusive flag (TIOCEXCL)
};

struct PortCheck {
  PortVerdict verdict = PortVerdict::kFree;
  std::string node;       // the node the path resolves to
  pid_t holder = 0;       // the holding process when known, else 0
  std::string lock_file;  // kLockFile
  std::string group;      // kNoPermission: the group whose members may open the node

  bool Free() const { return verdict == PortVerdict::kFree; }
};

// The checks that need no descriptor: lock files under every name of the line in lock_dir, and
// a session whose controlling terminal it is. path is the name given (an alias such as
// /dev/com1), real_path the node it resolves to.
PortCheck CheckHoldersByName(const std::string& path, const std::string& real_path,
                             const std::string& lock_dir, const std::string& proc_dir = "/proc");

// The checks through a descriptor of the node that we opened ourselves (O_NONBLOCK, O_NOCTTY):
// another's exclusive flag, which root's open passes unnoticed, and another's flock. A free
// port is left unlocked.
PortCheck CheckHoldersByDescriptor(int fd, const std::string& real_path,
                                   const std::string& proc_dir = "/proc");

// The node's group, for the permission message ("dialout"); "" when it has none we can name.
std::string NodeGroup(const std::string& real_path);

// Every check, in the order the link runs them: by name, then an open that neither waits nor
// makes the node our controlling terminal, the line settings read (not changed), and the checks
// by descriptor. The node is closed again; nothing on the line has changed.
PortCheck CheckPort(const std::string& path, const std::string& lock_dir = "/var/lock",
                    const std::string& proc_dir = "/proc");

// The verdict as a German sentence for the operator, naming the node and, where known, the
// holder ("/dev/ttyUSB0 ist belegt: Sperrdatei /var/lock/LCK..ttyUSB0 von Prozess 1234").
std::string DescribePortCheck(const PortCheck& check);

}  // namespace trelvin2
