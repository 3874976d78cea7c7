#include "ui/win32/event_queue.h"

#include <algorithm>

namespace trelvin2 {

QueuedEvent EventQueue::Take() {
  if (queue_.empty()) return {};
  const QueuedEvent event = queue_.front();
  queue_.pop_front();
  return event;
}

void EventQueue::ForgetWindow(int window) {
  std::erase_if(queue_, [window](const QueuedEvent& e) { return e.window == window; });
}

}  // namespace trelvin2
