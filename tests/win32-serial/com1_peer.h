// The Linux peer at the far end of COM1, steered through the line itself.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "serial/serial_link.h"

namespace trelvin2 {

struct PeerEvent {
  int at_ms;             // after the peer has the command
  std::string bytes;     // sent by the peer
  bool hang_up = false;  // the peer hangs up instead: the cable is pulled
};

// Bytes one at a time: count events of one byte each ('a', 'b', ...), every_ms apart.
std::vector<PeerEvent> ByteEvery(int every_ms, int count);

class Com1Peer {
 public:
  Com1Peer(SerialLink& link, PortHandle port) : link_(link), port_(port) {}

  // The peer sends the events' bytes at their times; false when the command could not go out.
  bool Play(const std::vector<PeerEvent>& events);
  // The peer sends back what it gets.
  bool Echo(const std::vector<std::uint8_t>& bytes);
  // The peer reports the line's settings as its end sees them (the peer's line report).
  bool AskLineReport();
  bool HangUp();
  // Stops a play and drops whatever the peer sent that nobody read, so the next case starts
  // from an empty line.
  void Quiet();

 private:
  bool Send(const std::vector<std::uint8_t>& command);

  SerialLink& link_;
  PortHandle port_;
};

}  // namespace trelvin2
