#include "serial/traced_link.h"

#include <cstdio>
#include <vector>

namespace trelvin2 {
namespace {

// Stands in for a byte that did not come. The port leaves unreceived buffer bytes as they were,
// so the read goes into a buffer of this value: a byte that differs from it certainly came. A
// NUL is no byte of any loader reply; one that does come as line noise while nothing else is
// queued is traced as missing, the only case the trace cannot tell apart.
constexpr std::uint8_t kNotReceived = 0;

}  // namespace

TracedLink::TracedLink(SerialLink& inner, Clock& clock, std::ostream& trace)
    : inner_(inner), clock_(clock), trace_(trace), start_tick_(clock.TickMs()) {}

PortHandle TracedLink::SerialOpen(std::string_view mode_text, std::int32_t handshake,
                                  std::int32_t receive_queue, std::int32_t transmit_queue) {
  const PortHandle port = inner_.SerialOpen(mode_text, handshake, receive_queue, transmit_queue);
  Note(std::string(port != 0 ? "open " : "open failed ") + std::string(mode_text));
  return port;
}

int TracedLink::SerialWrite(PortHandle port, const std::uint8_t* bytes, std::int32_t length) {
  const std::uint32_t tick = clock_.TickMs();
  const int written = inner_.SerialWrite(port, bytes, length);
  for (std::int32_t i = 0; i < length; ++i) Byte('>', bytes[i], tick);
  if (written == 0 && length > 0) Note("write failed");
  return written;
}

int TracedLink::SerialRead(PortHandle port, std::uint8_t* buffer, std::int32_t length) {
  if (length <= 0 || buffer == nullptr) return inner_.SerialRead(port, buffer, length);
  // Bytes already queued are certainly received, whatever their value.
  const std::int32_t queued = inner_.SerialBytesWaiting(port);
  std::vector<std::uint8_t> read(static_cast<std::size_t>(length), kNotReceived);
  const int result = inner_.SerialRead(port, read.data(), length);
  const std::uint32_t tick = clock_.TickMs();
  // The port fills the buffer from its start, so the received bytes are a prefix.
  std::int32_t received = length;
  while (received > 0 && received > queued && read[received - 1] == kNotReceived) --received;
  for (std::int32_t i = 0; i < received; ++i) {
    buffer[i] = read[static_cast<std::size_t>(i)];
    Byte('<', buffer[i], tick);
  }
  if (received < length) {
    char line[32];
    std::snprintf(line, sizeof line, "%10u < --\n", static_cast<unsigned>(tick - start_tick_));
    trace_ << line;
  }
  return result;
}

std::int32_t TracedLink::SerialBytesWaiting(PortHandle port) {
  return inner_.SerialBytesWaiting(port);
}

void TracedLink::SerialClose(PortHandle port) { inner_.SerialClose(port); }

std::string TracedLink::DescribePort(std::string_view device_name) {
  return inner_.DescribePort(device_name);
}

void TracedLink::Note(std::string_view text) {
  char tick[16];
  std::snprintf(tick, sizeof tick, "%10u", static_cast<unsigned>(clock_.TickMs() - start_tick_));
  trace_ << tick << " # " << text << '\n';
}

void TracedLink::Byte(char direction, std::uint8_t value, std::uint32_t tick) {
  char line[32];
  std::snprintf(line, sizeof line, "%10u %c %02X", static_cast<unsigned>(tick - start_tick_),
                direction, static_cast<unsigned>(value));
  trace_ << line;
  if (value >= 0x20 && value < 0x7F) trace_ << ' ' << static_cast<char>(value);
  trace_ << '\n';
}

}  // namespace trelvin2
