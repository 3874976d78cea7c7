// The line part of a mode text ("19200,n,8,1") and how it lands in a termios.
#pragma once

#include <termios.h>

#include <optional>
#include <string_view>

namespace trelvin2 {

enum class Parity { kNone, kEven, kOdd, kMark, kSpace };
enum class StopBits { kOne, kOneAndHalf, kTwo };

// What a mode text leaves out stays as the port has it.
struct LineSettings {
  int baud = 0;
  std::optional<Parity> parity;
  std::optional<int> data_bits;
  std::optional<StopBits> stop_bits;
};

// The device name: everything before the first ':', the whole text if there is none.
std::string_view ModeDeviceName(std::string_view mode_text);

// Parses the Windows mode syntax after the ':': baud in decimal, then optionally parity
// (n, e, o, m, s), data bits (5 to 8) and stop bits (1, 1.5, 2), separated by commas.
// Empty when the text cannot be parsed.
std::optional<LineSettings> ParseLineSettings(std::string_view mode_text);

// Writes the settings into tio together with what every port of this program gets: raw bytes,
// receiver on, modem status ignored, no software or hardware flow control, and reads that
// return as soon as one byte is there. False, with tio untouched, when the port cannot carry
// them (a baud rate Linux has no constant for, 1.5 stop bits with more than 5 data bits).
bool ApplyLineSettings(const LineSettings& settings, termios& tio);

}  // namespace trelvin2
