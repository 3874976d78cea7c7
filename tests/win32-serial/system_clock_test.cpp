// The Windows clock: a tick in single milliseconds (GetTickCount's 16 ms steps would make a
// 20 ms reply wait anything from 17 to 32 ms), and pauses that last at least as asked.
#include "serial/win32/system_clock.h"

#include <gtest/gtest.h>

#include <chrono>

namespace trelvin2 {
namespace {

TEST(Win32SystemClock, TheTickMovesInSingleMilliseconds) {
  // A tick of the system timer's granularity never moves by a single millisecond; this one
  // does so again and again, however often the loaded machine takes the thread away.
  SystemClock clock;
  std::uint32_t previous = clock.TickMs();
  int single_steps = 0;
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(500);
  while (single_steps < 10 && std::chrono::steady_clock::now() < until) {
    const std::uint32_t now = clock.TickMs();
    if (now == previous) continue;
    EXPECT_GT(TickDiff(now, previous), 0) << "the tick never runs backwards";
    if (TickDiff(now, previous) == 1) ++single_steps;
    previous = now;
  }
  EXPECT_GE(single_steps, 10);
}

TEST(Win32SystemClock, PausesLastAtLeastAsLongAsAsked) {
  SystemClock clock;
  for (const int ms : {0, 1, 2, 20}) {
    const auto began = std::chrono::steady_clock::now();
    const std::uint32_t tick_before = clock.TickMs();
    clock.Pause(ms);
    const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - began;
    EXPECT_GE(took.count(), ms - 0.5) << ms;  // Sleep counts in whole timer periods
    EXPECT_GE(TickDiff(clock.TickMs(), tick_before), ms - 1) << ms;
  }
  clock.Pause(-5);  // nothing to wait for
}

}  // namespace
}  // namespace trelvin2
