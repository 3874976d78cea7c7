// The one place where the program's thread services its windows.
//
// Qt hands over every input that piled up while the thread was busy in a single pass of the
// event loop, and quitting the loop does not stop that pass. So the widgets' signals only queue
// an event here and wake the wait; each Wait hands out at most one of them.
#pragma once

#include <deque>

class QEventLoop;

namespace trelvin2 {

struct QueuedEvent {
  int code = 0;
  int window = -1;
  int control = -1;
};

class EventWait {
 public:
  // Called from the widgets' signals: queues the event and ends a running wait.
  void Post(const QueuedEvent& event);

  // Drops the queued events that came from window; its inputs go with it.
  void ForgetWindow(int window);
  void Clear() { queue_.clear(); }

  // A queued event at once, else the first to come within limit_ms; code 0 when none came.
  // limit_ms 0 runs one pass over the pending input, a negative limit waits for ever.
  QueuedEvent Wait(int limit_ms);

 private:
  std::deque<QueuedEvent> queue_;
  QEventLoop* running_loop_ = nullptr;  // the wait in progress, woken by Post
};

}  // namespace trelvin2
