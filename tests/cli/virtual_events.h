// The console's requests on the virtual clock: Ctrl-C or Ctrl-D as they would come at a moment
// of the run, or as soon as the tool has sent a given byte. A wait lasts its limit unless a
// request comes first, as the platform's poll does; a request, once come, stays pending.
#pragma once

#include <cstdint>
#include <optional>

#include "tests/support/virtual_clock.h"
#include "ui/console/console_events.h"

namespace trelvin2 {

class VirtualEvents : public ConsoleEvents {
 public:
  explicit VirtualEvents(VirtualClock& clock) : clock_(clock) {}

  // The request comes at at_us of virtual time.
  void RequestAt(Request request, std::uint64_t at_us) {
    request_ = request;
    at_us_ = at_us;
  }
  // The request comes now (from a signal handler, as it were: no wait is running).
  void RequestNow(Request request) { RequestAt(request, clock_.NowUs()); }

  Request Wait(int limit_ms) override {
    ++waits;
    const std::uint64_t now = clock_.NowUs();
    if (at_us_ && *at_us_ <= now) return request_;
    if (limit_ms < 0 || (at_us_ && *at_us_ <= now + std::uint64_t(limit_ms) * 1000)) {
      if (!at_us_) return Request::kNone;  // no test waits for ever without a request coming
      clock_.AdvanceToUs(*at_us_);
      return request_;
    }
    clock_.AdvanceUs(std::uint64_t(limit_ms) * 1000);
    return Request::kNone;
  }

  int waits = 0;

 private:
  VirtualClock& clock_;
  Request request_ = Request::kNone;
  std::optional<std::uint64_t> at_us_;
};

}  // namespace trelvin2
