// The system clock: pauses never end early; the tick moves with them.
#include "serial/posix/system_clock.h"

#include <gtest/gtest.h>

#include <chrono>

namespace trelvin2 {
namespace {

TEST(SystemClock, PausesLastAtLeastWhatWasAskedAndTheTickFollows) {
  SystemClock clock;
  for (const int ms : {0, 1, 2, 20}) {
    const std::uint32_t tick_before = clock.TickMs();
    const auto began = std::chrono::steady_clock::now();
    clock.Pause(ms);
    const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - began;
    EXPECT_GE(took.count(), ms) << ms;
    EXPECT_LE(took.count(), ms + 150) << ms;  // a loaded machine may keep us waiting
    // The tick counts whole milliseconds, so it may lag the pause by one.
    EXPECT_GE(TickDiff(clock.TickMs(), tick_before), ms - 1) << ms;
  }
}

}  // namespace
}  // namespace trelvin2
