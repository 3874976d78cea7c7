// Time for tests: it moves only when something waits, so a 30-second connect failure runs in
// microseconds of real time and every run is the same.
#pragma once

#include <cstdint>
#include <vector>

#include "app/clock.h"

namespace trelvin2 {

class VirtualClock : public Clock {
 public:
  // tick_at_start lets a test put the 32-bit tick just below its wrap.
  explicit VirtualClock(std::uint32_t tick_at_start = 0) : tick_at_start_(tick_at_start) {}

  std::uint32_t TickMs() override {
    return tick_at_start_ + static_cast<std::uint32_t>(now_us_ / 1000);
  }
  void Pause(int ms) override {
    pauses_ms.push_back(ms);
    if (ms > 0) AdvanceUs(static_cast<std::uint64_t>(ms) * 1000);
  }

  std::uint64_t NowUs() const { return now_us_; }
  void AdvanceUs(std::uint64_t us) { now_us_ += us; }
  void AdvanceToUs(std::uint64_t us) {
    if (us > now_us_) now_us_ = us;
  }

  std::vector<int> pauses_ms;  // every Pause asked for, in order

 private:
  std::uint32_t tick_at_start_;
  std::uint64_t now_us_ = 0;
};

}  // namespace trelvin2
