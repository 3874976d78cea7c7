#include "tests/pty/scripted_peer.h"

#include <unistd.h>

namespace trelvin2 {

std::vector<PeerEvent> ByteEvery(int every_ms, int count, int first_ms) {
  std::vector<PeerEvent> events;
  for (int i = 0; i < count; ++i) {
    events.push_back({first_ms + i * every_ms, std::string(1, static_cast<char>('a' + i % 26))});
  }
  return events;
}

ScriptedPeer::ScriptedPeer(PtyPair& pty, std::vector<PeerEvent> script)
    : pty_(pty),
      script_(std::move(script)),
      start_(std::chrono::steady_clock::now()),
      thread_([this] { Run(); }) {}

ScriptedPeer::~ScriptedPeer() {
  {
    std::lock_guard lock(mutex_);
    stop_ = true;
  }
  wake_.notify_all();
  thread_.join();
}

void ScriptedPeer::Run() {
  for (const PeerEvent& event : script_) {
    {
      std::unique_lock lock(mutex_);
      if (wake_.wait_until(lock, start_ + std::chrono::milliseconds(event.at_ms),
                           [this] { return stop_; })) {
        return;
      }
    }
    if (event.close) {
      pty_.CloseMaster();
      return;
    }
    if (write(pty_.master(), event.bytes.data(), event.bytes.size()) < 0) return;
  }
}

}  // namespace trelvin2
