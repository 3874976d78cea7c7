#include "serial/posix/exclusive_open.h"

#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace trelvin2 {
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
