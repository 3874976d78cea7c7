#include "serial/posix/timed_write.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

#include "serial/posix/timed_wait.h"

namespace trelvin2 {

bool TimedWrite(int fd, const std::uint8_t* bytes, int length, int total_ms) {
  // tcdrain() would wait for the line without any limit; the queue taking the bytes is enough.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(total_ms);
  int written = 0;
  while (written < length) {
    const ssize_t put = write(fd, bytes + written, static_cast<std::size_t>(length - written));
    if (put > 0) {
      written += static_cast<int>(put);
      continue;
    }
    if (put < 0 && errno != EAGAIN && errno != EINTR) return false;
    switch (WaitForPoll(fd, POLLOUT, deadline)) {
      case PollWait::kReady:
      case PollWait::kInterrupted:
        continue;
      case PollWait::kTimedOut:
      case PollWait::kFailed:
        return false;
    }
  }
  return true;
}

}  // namespace trelvin2
