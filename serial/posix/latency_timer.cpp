#include "serial/posix/latency_timer.h"

#include <linux/serial.h>
#include <sys/ioctl.h>

namespace trelvin2 {

void AskForLowLatency(int fd) {
  serial_struct info{};
  if (ioctl(fd, TIOCGSERIAL, &info) != 0) return;
  if ((info.flags & ASYNC_LOW_LATENCY) != 0) return;
  info.flags |= ASYNC_LOW_LATENCY;
  // Refused by drivers that do not let this user change serial info: the port works all the same.
  [[maybe_unused]] const int refused = ioctl(fd, TIOCSSERIAL, &info);
}

}  // namespace trelvin2
