// The one narrow seam to a serial port: five blocking operations with fixed time limits.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace trelvin2 {

// Non-zero for an open port, 0 for none.
using PortHandle = std::intptr_t;

// The time limits every opened port gets, as Windows COMMTIMEOUTS.
inline constexpr int kReadIntervalTimeoutMs = 100;        // a read ends 100 ms after the last byte
inline constexpr int kReadTotalTimeoutMultiplierMs = 10;  // ... or 100 + 10 x N ms after it began
inline constexpr int kReadTotalTimeoutConstantMs = 100;
inline constexpr int kWriteTotalTimeoutMultiplierMs = 100;  // a write ends after 10 + 100 x N ms
inline constexpr int kWriteTotalTimeoutConstantMs = 10;

class SerialLink {
 public:
  virtual ~SerialLink() = default;

  // Opens the device named before the first ':' of mode_text ("com3:19200,n,8,1") exclusively
  // and applies the line settings after it. 0 when the device cannot be opened or is held by
  // another program; settings that cannot be applied leave the port open as it is.
  virtual PortHandle SerialOpen(std::string_view mode_text, std::int32_t handshake,
                                std::int32_t receive_queue, std::int32_t transmit_queue) = 0;

  // 1 when all length bytes were written within 10 + 100 x length ms, else 0.
  virtual int SerialWrite(PortHandle port, const std::uint8_t* bytes, std::int32_t length) = 0;

  // Reads up to length bytes; returns when all came, 100 ms after the last byte, or
  // 100 + 10 x length ms after the start. Non-zero even with fewer or no bytes; 0 on an error,
  // a hung-up line or a port that is not open. Buffer bytes beyond those received stay as they are.
  virtual int SerialRead(PortHandle port, std::uint8_t* buffer, std::int32_t length) = 0;

  // Received bytes waiting to be read; 0 on an error or for a port that is not open.
  virtual std::int32_t SerialBytesWaiting(PortHandle port) = 0;

  virtual void SerialClose(PortHandle port) = 0;

  // What the device name ("com3") stands for on this machine, shown as a hint beside it
  // ("/dev/ttyUSB0"); empty when there is nothing to tell.
  virtual std::string DescribePort(std::string_view /*device_name*/) { return {}; }

  // After a SerialOpen that yielded 0 because this user may not open the device: the device
  // and the group whose members may ("/dev/ttyUSB0", "dialout"; the group may be unknown).
  // Empty after any other result, so that the port window can tell a permission problem from
  // a machine without ports.
  struct AccessDenial {
    std::string device;
    std::string group;
  };
  virtual AccessDenial LastAccessDenial() { return {}; }
};

}  // namespace trelvin2
