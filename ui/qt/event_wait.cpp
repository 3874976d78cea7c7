#include "ui/qt/event_wait.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <cassert>

namespace trelvin2 {

void EventWait::Post(const QueuedEvent& event) {
  queue_.push_back(event);
  if (running_loop_ != nullptr) running_loop_->quit();
}

void EventWait::ForgetWindow(int window) {
  std::erase_if(queue_, [window](const QueuedEvent& e) { return e.window == window; });
}

QueuedEvent EventWait::Wait(int limit_ms) {
  // A signal handler that waited again would hand out events out of order.
  assert(running_loop_ == nullptr);
  if (queue_.empty()) {
    if (limit_ms == 0) {
      QCoreApplication::processEvents();
    } else {
      // A real loop rather than processEvents in a loop: processEvents never sleeps (it would
      // burn a core) and deferred deletes are honoured only in a loop of their own.
      QEventLoop loop;
      QTimer limit;
      // The default coarse timer fires up to 5 % early (49 ms for 50): the limit is a promise.
      limit.setTimerType(Qt::PreciseTimer);
      limit.setSingleShot(true);
      QObject::connect(&limit, &QTimer::timeout, &loop, &QEventLoop::quit);
      if (limit_ms > 0) limit.start(limit_ms);
      running_loop_ = &loop;
      loop.exec();
      running_loop_ = nullptr;
    }
  }
  if (queue_.empty()) return {};
  const QueuedEvent event = queue_.front();
  queue_.pop_front();
  return event;
}

}  // namespace trelvin2
