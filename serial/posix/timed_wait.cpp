#include "serial/posix/timed_wait.h"

#include <poll.h>

#include <cerrno>
#include <ctime>

namespace trelvin2 {

PollWait WaitForPoll(int fd, short events, std::chrono::steady_clock::time_point until) {
  using namespace std::chrono;
  const nanoseconds left = until - steady_clock::now();
  if (left <= nanoseconds::zero()) return PollWait::kTimedOut;

  const seconds whole = duration_cast<seconds>(left);
  const timespec wait{static_cast<time_t>(whole.count()),
                      static_cast<long>((left - whole).count())};
  pollfd entry{fd, events, 0};
  const int ready = ppoll(&entry, 1, &wait, nullptr);
  if (ready < 0) return errno == EINTR ? PollWait::kInterrupted : PollWait::kFailed;
  if (ready == 0) {
    // ppoll may wake a hair before until; the caller's next look decides.
    return steady_clock::now() >= until ? PollWait::kTimedOut : PollWait::kInterrupted;
  }
  if (entry.revents & events) return PollWait::kReady;
  return PollWait::kFailed;  // POLLHUP, POLLERR or POLLNVAL without the events asked for
}

}  // namespace trelvin2
