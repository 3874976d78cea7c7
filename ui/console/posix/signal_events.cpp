#include "ui/console/posix/signal_events.h"

#include <poll.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <chrono>

#include "app/posix/close_signals.h"

namespace trelvin2 {

SignalEvents::SignalEvents() { WatchCloseSignals(); }

void SignalEvents::WatchInput() { watch_input_ = isatty(STDIN_FILENO) == 1; }

ConsoleEvents::Request SignalEvents::Pending() const {
  if (CaughtCloseSignal() != 0) return Request::kInterrupt;
  return input_ended_ ? Request::kEndOfInput : Request::kNone;
}

void SignalEvents::TakeInput() {
  std::array<char, 256> typed{};
  const ssize_t got = read(STDIN_FILENO, typed.data(), typed.size());
  // A line typed at the terminal (Enter) means nothing here; only the end of file counts.
  if (got == 0 || (got < 0 && errno != EINTR && errno != EAGAIN)) input_ended_ = true;
}

ConsoleEvents::Request SignalEvents::Wait(int limit_ms) {
  if (Pending() != Request::kNone) return Pending();
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(limit_ms);
  for (;;) {
    int wait_ms = -1;
    if (limit_ms >= 0) {
      // poll counts whole milliseconds: round up, so the wait never ends before its limit.
      const auto left =
          std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
      wait_ms = left.count() > 0 ? static_cast<int>(left.count()) : 0;
    }
    std::array<pollfd, 2> watched{{{CloseSignalFd(), POLLIN, 0}, {STDIN_FILENO, POLLIN, 0}}};
    const nfds_t count = watch_input_ && !input_ended_ ? 2 : 1;
    const int ready = poll(watched.data(), count, wait_ms);
    if (ready > 0 && count == 2 && (watched[1].revents & (POLLIN | POLLHUP)) != 0) TakeInput();
    if (Pending() != Request::kNone) return Pending();
    if (ready == 0 || (ready < 0 && errno != EINTR)) return Request::kNone;
    // An interrupted poll, or typed input that ended nothing: wait for what is left.
  }
}

}  // namespace trelvin2
