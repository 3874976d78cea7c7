// Waiting for a descriptor until a point on the steady clock, below a millisecond if need be.
#pragma once

#include <chrono>

namespace trelvin2 {

enum class PollWait {
  kReady,        // the events asked for are there
  kInterrupted,  // a signal came: look again
  kTimedOut,     // until has passed
  kFailed,       // poll failed, or the line reports only a hang-up or an error
};

// Waits with ppoll for events (POLLIN or POLLOUT) on fd until the steady clock reaches until.
// Returns kTimedOut at once when until has already passed.
PollWait WaitForPoll(int fd, short events, std::chrono::steady_clock::time_point until);

}  // namespace trelvin2
