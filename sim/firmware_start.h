// What the Trelvin 2's firmware makes of its LinkConfigRecord when the loader starts it.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "sim/flash_memory.h"

namespace trelvin2::sim {

// The record the firmware reads at its start: nine 16-bit divisors (high byte first), then
// BaudCode, then ProtocolCode.
inline constexpr std::uint32_t kRecordAddress = 0x1D40;
inline constexpr std::uint32_t kRecordBytes = 20;
inline constexpr int kDivisorCount = 9;
inline constexpr std::uint32_t kBaudCodeAddress = kRecordAddress + 2 * kDivisorCount;  // 0x1D52
inline constexpr std::uint32_t kProtocolCodeAddress = kBaudCodeAddress + 1;            // 0x1D53

// The device runs at 40 MHz; its baud-rate generator (BRG16, BRGH) divides Fosc / 4.
inline constexpr double kOscillatorHz = 40'000'000.0;
// The standard rates, one per BaudCode 0 to 8.
inline constexpr std::array<int, kDivisorCount> kStandardRates{300,   1200,  2400,  4800,  9600,
                                                               19200, 38400, 57600, 115200};
// A UART pair still understands each other with up to about 3 % between their clocks; a
// divisor further from every standard rate leaves the device deaf to its host.
inline constexpr double kUsableRateErrorPercent = 3.0;

struct FirmwareStart {
  bool usable = false;
  std::uint8_t baud_code = 0;
  std::uint8_t protocol_code = 0;
  std::uint16_t divisor = 0;   // the divisor at BaudCode (0 when BaudCode is out of range)
  double rate = 0.0;           // what the divisor gives: 40 MHz / (4 x (divisor + 1))
  int standard_rate = 0;       // the nearest of kStandardRates
  double error_percent = 0.0;  // rate against standard_rate, signed
  std::string framing;         // "8N1", "8E1" or "8O1"; empty when unknown
  std::string problem;         // why the record is unusable; empty when usable
};

// Decodes the record in memory as the firmware does at its start.
FirmwareStart DecodeFirmwareStart(const FlashMemory& flash);

// One line: "firmware: 19200 baud 8E1 (BaudCode 5, ProtocolCode 1), divisor 519, 19230.8 baud,
// +0.16 %", or "firmware: unusable record: ..." for a record the firmware cannot use. A device
// above 0 is named by its number in a run of several: "firmware 2: 19200 baud 8E1 ...".
std::string FirmwareStartLine(const FirmwareStart& start, int device = 0);

}  // namespace trelvin2::sim
