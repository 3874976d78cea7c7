// The device's serial configuration record and the operator's choice that goes into it.
#pragma once

#include <cstdint>

namespace trelvin2 {

// The LinkConfigRecord, 20 bytes in the device's flash: nine baud-rate divisors (16 bits each,
// high byte first, one per BaudCode 0 to 8), then BaudCode, then ProtocolCode.
inline constexpr std::uint32_t kRecordAddress = 0x1D40;
inline constexpr int kRecordSize = 20;
inline constexpr int kDivisorCount = 9;
inline constexpr std::uint32_t kBaudCodeAddress = kRecordAddress + 2 * kDivisorCount;  // 0x1D52
inline constexpr std::uint32_t kProtocolCodeAddress = kBaudCodeAddress + 1;            // 0x1D53

// ProtocolCode bits: bit 0 parity on, bit 1 odd parity.
inline constexpr std::uint8_t kProtocol8N1 = 0;
inline constexpr std::uint8_t kProtocol8E1 = 1;
inline constexpr std::uint8_t kProtocol8O1 = 3;

// The operator's choice: BaudCode is a position in the rate list (0 = 300 ... 8 = 115200),
// not a rate; the device turns it into one through its own divisor table.
struct LinkSettings {
  std::uint8_t baud_code = 0;
  std::uint8_t protocol_code = 0;
};

}  // namespace trelvin2
