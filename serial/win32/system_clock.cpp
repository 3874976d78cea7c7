#include "serial/win32/system_clock.h"

// windows.h first: mmsystem.h builds on it.
#include <windows.h>
// clang-format off
#include <mmsystem.h>
// clang-format on

namespace trelvin2 {
namespace {

std::int64_t Counter() {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);  // cannot fail from Windows XP on
  return now.QuadPart;
}

}  // namespace

SystemClock::SystemClock() : start_(Counter()) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  counts_per_second_ = frequency.QuadPart > 0 ? frequency.QuadPart : 1;
}

std::uint32_t SystemClock::TickMs() {
  const std::int64_t counts = Counter() - start_;
  // Seconds and the rest apart, so that counts x 1000 cannot overflow however long the run.
  const std::int64_t ms =
      counts / counts_per_second_ * 1000 + counts % counts_per_second_ * 1000 / counts_per_second_;
  return static_cast<std::uint32_t>(ms);  // the wrap at 2^32 is the point
}

void SystemClock::Pause(int ms) {
  if (ms <= 0) return;
  timeBeginPeriod(1);
  Sleep(static_cast<DWORD>(ms));
  timeEndPeriod(1);
}

}  // namespace trelvin2
