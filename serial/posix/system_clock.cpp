#include "serial/posix/system_clock.h"

#include <cerrno>
#include <ctime>

namespace trelvin2 {
namespace {

constexpr long kNanosPerSecond = 1'000'000'000;
constexpr long kNanosPerMilli = 1'000'000;

}  // namespace

std::uint32_t SystemClock::TickMs() {
  const auto elapsed = std::chrono::steady_clock::now() - start_;
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count();
  return static_cast<std::uint32_t>(ms);  // the wrap at 2^32 is the point
}

void SystemClock::Pause(int ms) {
  if (ms <= 0) return;
  timespec until{};
  clock_gettime(CLOCK_MONOTONIC, &until);
  until.tv_sec += ms / 1000;
  until.tv_nsec += static_cast<long>(ms % 1000) * kNanosPerMilli;
  if (until.tv_nsec >= kNanosPerSecond) {
    until.tv_sec += 1;
    until.tv_nsec -= kNanosPerSecond;
  }
  while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr) == EINTR) {
  }
}

}  // namespace trelvin2
