// A write with the time limit of the Windows port timeouts, on a non-blocking descriptor.
#pragma once

#include <cstdint>

namespace trelvin2 {

// Writes all length bytes to the non-blocking fd, waiting for room in the output queue as
// needed, but never past total_ms. True only when every byte went out in time.
bool TimedWrite(int fd, const std::uint8_t* bytes, int length, int total_ms);

}  // namespace trelvin2
