// The device's end of a pty, following a script of timed events on its own thread: bytes to send
// at a given moment, or the end of the line.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "tests/pty/pty_pair.h"

namespace trelvin2 {

struct PeerEvent {
  int at_ms;           // after the peer starts
  std::string bytes;   // written to the master
  bool close = false;  // closes the master instead: the cable is pulled
};

// Bytes one at a time: count events of one byte each, every_ms apart, starting at first_ms.
std::vector<PeerEvent> ByteEvery(int every_ms, int count, int first_ms = 0);

class ScriptedPeer {
 public:
  // Starts at once; the events' times count from here.
  ScriptedPeer(PtyPair& pty, std::vector<PeerEvent> script);
  // Stops before the remaining events.
  ~ScriptedPeer();
  ScriptedPeer(const ScriptedPeer&) = delete;
  ScriptedPeer& operator=(const ScriptedPeer&) = delete;

  std::chrono::steady_clock::time_point start() const { return start_; }

 private:
  void Run();

  PtyPair& pty_;
  std::vector<PeerEvent> script_;
  std::chrono::steady_clock::time_point start_;
  std::mutex mutex_;
  std::condition_variable wake_;
  bool stop_ = false;
  std::thread thread_;
};

}  // namespace trelvin2
