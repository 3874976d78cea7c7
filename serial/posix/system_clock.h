// The program's clock on Linux: the monotonic clock for the tick, clock_nanosleep for pauses.
#pragma once

#include <chrono>

#include "app/clock.h"

namespace trelvin2 {

class SystemClock : public Clock {
 public:
  // Counts from 0 at construction, wrapping after about 49.7 days like a Windows tick count.
  std::uint32_t TickMs() override;
  // Sleeps to an absolute point on CLOCK_MONOTONIC, so signals cannot stretch or shorten it:
  // the 2 ms pauses between the security-code bytes last about 2 ms.
  void Pause(int ms) override;

 private:
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

}  // namespace trelvin2
