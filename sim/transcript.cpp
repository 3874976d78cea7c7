#include "sim/transcript.h"

#include <cstdio>

namespace trelvin2::sim {

std::string TranscriptLine(const LineByte& byte) {
  char text[80];
  const char* arrow = byte.direction == Direction::kToDevice ? "tool -> device" : "device -> tool";
  const bool printable = byte.value >= 0x20 && byte.value < 0x7F;
  std::snprintf(text, sizeof text, "%12llu us  %s  %02X%s%c%s",
                static_cast<unsigned long long>(byte.time_us), arrow, byte.value,
                printable ? " '" : "", printable ? static_cast<char>(byte.value) : ' ',
                printable ? "'" : "");
  std::string line(text);
  while (!line.empty() && line.back() == ' ') line.pop_back();
  return line;
}

}  // namespace trelvin2::sim
