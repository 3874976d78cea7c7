// The program's sense of time: a 32-bit millisecond tick and a pause.
#pragma once

#include <cstdint>

namespace trelvin2 {

class Clock {
 public:
  virtual ~Clock() = default;
  // Milliseconds since some start, wrapping at 2^32 like a Windows tick count.
  virtual std::uint32_t TickMs() = 0;
  // Blocks the thread for ms milliseconds at 1 ms resolution. The window is not serviced.
  virtual void Pause(int ms) = 0;
};

// Elapsed milliseconds from earlier to later, taken as a signed 32-bit difference so that a
// wrap of the tick counter between the two readings does not disturb a wait.
inline std::int32_t TickDiff(std::uint32_t later, std::uint32_t earlier) {
  return static_cast<std::int32_t>(later - earlier);
}

}  // namespace trelvin2
