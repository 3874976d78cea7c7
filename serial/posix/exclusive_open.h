// Keeping a port to ourselves, and staying away from one that another program holds.
#pragma once

#include <string>

namespace trelvin2 {

// True when lock_dir holds a UUCP lock file LCK..<basename of real_device_path> whose PID is a
// live process (minicom and QSerialPort mark their ports this way). The file is only read: a
// stale one is left for its owner's tools to clean up.
bool HeldByLockFile(const std::string& lock_dir, const std::string& real_device_path);

// Claims the open port fd for this program alone. False, with nothing claimed, when another
// descriptor already holds it: its exclusive flag is set (TIOCEXCL: screen, libserialport) or it
// is flock()ed (pyserial, picocom, libserialport).
bool ClaimExclusive(int fd);

// Gives up the claim before close: on a pty the exclusive flag would outlive our descriptor.
void ReleaseExclusive(int fd);

}  // namespace trelvin2
