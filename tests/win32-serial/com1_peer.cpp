#include "tests/win32-serial/com1_peer.h"

#include <windows.h>

#include "tests/pty-peer/peer_commands.h"

namespace trelvin2 {
namespace {

// Long enough for the last byte of a play that is already on its way to come in.
constexpr DWORD kQuietSettleMs = 150;

void AppendNumber(std::vector<std::uint8_t>& out, unsigned value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

}  // namespace

std::vector<PeerEvent> ByteEvery(int every_ms, int count) {
  std::vector<PeerEvent> events;
  for (int i = 0; i < count; ++i) {
    events.push_back({i * every_ms, std::string(1, static_cast<char>('a' + i % 26))});
  }
  return events;
}

bool Com1Peer::Send(const std::vector<std::uint8_t>& command) {
  return link_.SerialWrite(port_, command.data(), static_cast<std::int32_t>(command.size())) == 1;
}

bool Com1Peer::Play(const std::vector<PeerEvent>& events) {
  std::vector<std::uint8_t> command{peer::kPlay};
  AppendNumber(command, static_cast<unsigned>(events.size()), 1);
  for (const PeerEvent& event : events) {
    AppendNumber(command, static_cast<unsigned>(event.at_ms), 2);
    if (event.hang_up) {
      command.push_back(peer::kHangUpEvent);
      continue;
    }
    AppendNumber(command, static_cast<unsigned>(event.bytes.size()), 1);
    command.insert(command.end(), event.bytes.begin(), event.bytes.end());
  }
  return Send(command);
}

bool Com1Peer::Echo(const std::vector<std::uint8_t>& bytes) {
  std::vector<std::uint8_t> command{peer::kEcho};
  AppendNumber(command, static_cast<unsigned>(bytes.size()), 2);
  command.insert(command.end(), bytes.begin(), bytes.end());
  return Send(command);
}

bool Com1Peer::AskLineReport() { return Send({peer::kLineReport}); }

bool Com1Peer::HangUp() { return Send({peer::kHangUp}); }

void Com1Peer::Quiet() {
  Send({peer::kStop});
  Sleep(kQuietSettleMs);
  for (std::int32_t waiting = link_.SerialBytesWaiting(port_); waiting > 0;
       waiting = link_.SerialBytesWaiting(port_)) {
    std::vector<std::uint8_t> drop(static_cast<std::size_t>(waiting));
    link_.SerialRead(port_, drop.data(), waiting);
  }
}

}  // namespace trelvin2
