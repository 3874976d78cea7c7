// The byte-level conventions of the Trelvin 2 boot loader: one-letter commands, three-byte
// addresses, and two-byte acknowledgements made of the letter and '!'.
#pragma once

#include <cstdint>
#include <string>

#include "app/program.h"

namespace trelvin2 {

// The loader answers a command within this time; at 19200 baud its two bytes take about 1 ms.
inline constexpr std::int32_t kAckWaitMs = 20;
inline constexpr std::int16_t kAckLength = 2;  // the letter and '!'

// One write of one byte; the result is not examined, a lost byte shows as a missing answer.
void SendByte(Program& program, std::uint8_t value);
void SendCommand(Program& program, char letter);

// The loader takes 24-bit addresses: one write of the low three bytes, least significant first.
// The top byte is dropped.
void SendAddress(Program& program, std::uint32_t address);

// Polls the input queue without servicing the window until count bytes wait or more than
// limit_ms have passed. A count of 0 or less returns at once.
void WaitForReply(Program& program, std::int32_t limit_ms, std::int16_t count);

// count one-byte reads, each within the port's read limits. A byte that does not arrive leaves
// a NUL in its place, which no loader reply contains, so the reply can never match by accident.
std::string ReadReply(Program& program, int count);

// Waits for and reads the two-byte acknowledgement of letter. The input queue is never emptied
// first: a stray byte from before becomes the start of this reply and fails it.
bool ExpectAck(Program& program, char letter);

}  // namespace trelvin2
