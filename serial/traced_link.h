// A SerialLink that writes every byte both ways, with its millisecond time, to a trace for a
// bug report, and passes every call on unchanged to the link it wraps.
//
// Trace lines: the tick in ms since the trace began, '>' for a byte to the device or '<' for one
// from it, the byte in hex and, when printable, as a character:
//        1002 > 44 D
//        1003 < 4C L
// A read that got no byte within the port's time limits shows as "< --".
#pragma once

#include <cstdint>
#include <ostream>

#include "app/clock.h"
#include "serial/serial_link.h"

namespace trelvin2 {

class TracedLink : public SerialLink {
 public:
  TracedLink(SerialLink& inner, Clock& clock, std::ostream& trace);

  PortHandle SerialOpen(std::string_view mode_text, std::int32_t handshake,
                        std::int32_t receive_queue, std::int32_t transmit_queue) override;
  int SerialWrite(PortHandle port, const std::uint8_t* bytes, std::int32_t length) override;
  int SerialRead(PortHandle port, std::uint8_t* buffer, std::int32_t length) override;
  std::int32_t SerialBytesWaiting(PortHandle port) override;
  void SerialClose(PortHandle port) override;
  std::string DescribePort(std::string_view device_name) override;

  // A line of its own in the trace ("# unit 2"), so that a batch's units can be told apart.
  void Note(std::string_view text);

 private:
  void Byte(char direction, std::uint8_t value, std::uint32_t tick);

  SerialLink& inner_;
  Clock& clock_;
  std::ostream& trace_;
  std::uint32_t start_tick_;
};

}  // namespace trelvin2
