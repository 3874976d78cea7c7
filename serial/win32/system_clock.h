// The program's clock on Windows: the performance counter for the tick, Sleep at a 1 ms timer
// period for pauses.
#pragma once

#include <cstdint>

#include "app/clock.h"

namespace trelvin2 {

class SystemClock : public Clock {
 public:
  SystemClock();
  // Milliseconds from construction, wrapping after about 49.7 days like GetTickCount.
  // Not GetTickCount itself: it moves in steps of the system timer, 15.6 ms on Windows and
  // 16 ms under Wine, even while a 1 ms timer period is in force, and the 20 ms reply wait would
  // then end anywhere from 17 to 32 ms after it began. timeGetTime is 1 ms only while a 1 ms
  // period is in force, which the program asks for during pauses alone. The performance counter
  // is finer than 1 ms on every machine.
  std::uint32_t TickMs() override;
  // Raises the timer resolution to 1 ms for the duration, so that the 2 ms pauses between the
  // security-code bytes last about 2 ms and not a whole 15.6 ms timer step.
  void Pause(int ms) override;

 private:
  std::int64_t start_ = 0;
  std::int64_t counts_per_second_ = 1;
};

}  // namespace trelvin2
