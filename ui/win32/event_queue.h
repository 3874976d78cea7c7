// The toolkit's own queue of inputs. The window procedure only appends to it; WaitEvent hands
// out one entry per call, so that inputs which piled up while the thread was busy with the
// device reach the program one at a time and in order.
#pragma once

#include <deque>

namespace trelvin2 {

struct QueuedEvent {
  int code = 0;
  int window = -1;
  int control = -1;
};

class EventQueue {
 public:
  void Post(const QueuedEvent& event) { queue_.push_back(event); }
  bool Empty() const { return queue_.empty(); }
  // The oldest event, removed; code 0 when there is none.
  QueuedEvent Take();
  // Drops the events that came from window: its inputs go with it.
  void ForgetWindow(int window);
  void Clear() { queue_.clear(); }

 private:
  std::deque<QueuedEvent> queue_;
};

}  // namespace trelvin2
