// A read with the time limits of the Windows port timeouts, on a non-blocking descriptor.
#pragma once

#include <cstdint>

namespace trelvin2 {

struct TimedReadResult {
  bool ok;       // false on an error or a hung-up line
  int received;  // bytes stored at the start of the buffer
};

// Reads up to length bytes from the non-blocking fd (VMIN 1, so an empty read is EAGAIN and a
// read of 0 is a hang-up). Returns when all have come, interval_ms after the last byte, or
// total_ms after the start, whichever is first. Bytes beyond those received stay untouched.
TimedReadResult TimedRead(int fd, std::uint8_t* buffer, int length, int interval_ms, int total_ms);

}  // namespace trelvin2
