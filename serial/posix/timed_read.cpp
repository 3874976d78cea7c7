#include "serial/posix/timed_read.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <optional>

#include "serial/posix/timed_wait.h"

namespace trelvin2 {

TimedReadResult TimedRead(int fd, std::uint8_t* buffer, int length, int interval_ms, int total_ms) {
  using Clock = std::chrono::steady_clock;
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(total_ms);
  std::optional<Clock::time_point> last_byte;
  int received = 0;

  for (;;) {
    const ssize_t got = read(fd, buffer + received, static_cast<std::size_t>(length - received));
    if (got > 0) {
      received += static_cast<int>(got);
      last_byte = Clock::now();
      if (received == length) return {true, received};
    } else if (got == 0) {
      return {false, received};  // the other end hung up
    } else if (errno != EAGAIN && errno != EINTR) {
      return {false, received};
    }

    // An expired total limit ends the read even while bytes keep coming in: the interval limit
    // only ever shortens the wait, it never stands in for the total.
    Clock::time_point until = deadline;
    if (last_byte) until = std::min(until, *last_byte + std::chrono::milliseconds(interval_ms));
    switch (WaitForPoll(fd, POLLIN, until)) {
      case PollWait::kReady:
      case PollWait::kInterrupted:
        continue;
      case PollWait::kTimedOut:
        return {true, received};
      case PollWait::kFailed:
        return {false, received};
    }
  }
}

}  // namespace trelvin2
