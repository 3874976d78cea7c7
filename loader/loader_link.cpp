#include "loader/loader_link.h"

#include <array>

namespace trelvin2 {

void SendByte(Program& program, std::uint8_t value) {
  program.link.SerialWrite(program.working_port, &value, 1);
}

void SendCommand(Program& program, char letter) {
  SendByte(program, static_cast<std::uint8_t>(letter));
}

void SendAddress(Program& program, std::uint32_t address) {
  const std::array<std::uint8_t, 3> bytes{static_cast<std::uint8_t>(address),
                                          static_cast<std::uint8_t>(address >> 8),
                                          static_cast<std::uint8_t>(address >> 16)};
  program.link.SerialWrite(program.working_port, bytes.data(), static_cast<int>(bytes.size()));
}

void WaitForReply(Program& program, std::int32_t limit_ms, std::int16_t count) {
  if (count <= 0) return;
  const std::uint32_t start = program.clock.TickMs();
  while (program.link.SerialBytesWaiting(program.working_port) < count) {
    if (TickDiff(program.clock.TickMs(), start) > limit_ms) return;
  }
}

std::string ReadReply(Program& program, int count) {
  std::string reply;
  for (int i = 0; i < count; ++i) {
    // The port leaves the buffer untouched when no byte comes; a fresh NUL for every read keeps
    // an earlier byte from standing in for the missing one.
    std::uint8_t byte = 0;
    program.link.SerialRead(program.working_port, &byte, 1);
    reply.push_back(static_cast<char>(byte));
  }
  return reply;
}

bool ExpectAck(Program& program, char letter) {
  WaitForReply(program, kAckWaitMs, kAckLength);
  return ReadReply(program, kAckLength) == std::string{letter, '!'};
}

}  // namespace trelvin2
