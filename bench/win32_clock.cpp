// Figures for the Windows clock, under Wine or on Windows:
//   - the step sizes of GetTickCount, timeGetTime (with and without a 1 ms timer period) and
//     SystemClock::TickMs, seen by a tight loop: why the tick is not GetTickCount,
//   - SystemClock::Pause(2), the gap between the security-code bytes.
// Prints the smallest and most common step, and min / median / max of the pause, in ms.
// Run: wine build-windows/bench_win32_clock.exe
#include <windows.h>
// clang-format off
#include <mmsystem.h>
// clang-format on

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <map>
#include <vector>

#include "serial/win32/system_clock.h"

namespace {

constexpr int kSteps = 60;  // steps looked at per tick source
constexpr int kPauses = 200;

void ReportSteps(const char* what, const std::function<std::uint32_t()>& tick) {
  std::map<std::uint32_t, int> steps;
  std::uint32_t previous = tick();
  for (int seen = 0; seen < kSteps;) {
    const std::uint32_t now = tick();
    if (now == previous) continue;
    ++steps[now - previous];
    previous = now;
    ++seen;
  }
  const auto common = std::max_element(
      steps.begin(), steps.end(), [](const auto& a, const auto& b) { return a.second < b.second; });
  std::printf("%-40s smallest step %3u ms, most common %3u ms (%d of %d)\n", what,
              steps.begin()->first, common->first, common->second, kSteps);
}

}  // namespace

int main() {
  trelvin2::SystemClock clock;
  ReportSteps("GetTickCount", [] { return static_cast<std::uint32_t>(GetTickCount()); });
  ReportSteps("timeGetTime", [] { return static_cast<std::uint32_t>(timeGetTime()); });
  timeBeginPeriod(1);
  ReportSteps("GetTickCount, 1 ms timer period",
              [] { return static_cast<std::uint32_t>(GetTickCount()); });
  ReportSteps("timeGetTime, 1 ms timer period",
              [] { return static_cast<std::uint32_t>(timeGetTime()); });
  timeEndPeriod(1);
  ReportSteps("SystemClock::TickMs", [&] { return clock.TickMs(); });

  std::vector<double> ms;
  for (int i = 0; i < kPauses; ++i) {
    const auto began = std::chrono::steady_clock::now();
    clock.Pause(2);
    ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - began)
                     .count());
  }
  std::sort(ms.begin(), ms.end());
  std::printf("%-40s min %6.3f  median %6.3f  max %6.3f ms  (%d tries)\n", "SystemClock::Pause(2)",
              ms.front(), ms[ms.size() / 2], ms.back(), kPauses);
  return 0;
}
