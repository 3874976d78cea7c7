// Every byte on the line between the tool and the device, with the moment it was complete.
#pragma once

#include <cstdint>
#include <string>

namespace trelvin2::sim {

enum class Direction { kToDevice, kFromDevice };

struct LineByte {
  std::uint64_t time_us = 0;  // when its stop bit ended: received by the other side from then
  Direction direction = Direction::kToDevice;
  std::uint8_t value = 0;
};

// "     1043521 us  tool -> device  44 'D'"
std::string TranscriptLine(const LineByte& byte);

}  // namespace trelvin2::sim
