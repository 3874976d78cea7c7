// The console's requests on POSIX: SIGINT, SIGTERM and SIGHUP make a pipe readable
// (app/posix/close_signals.h), and the wait polls it; with watch_input, Ctrl-D at the terminal on
// standard input is the end of input.
#pragma once

#include "ui/console/console_events.h"

namespace trelvin2 {

class SignalEvents : public ConsoleEvents {
 public:
  // Installs the handlers; without them (no pipe could be made) the signals keep their default
  // action and end the process at once.
  SignalEvents();
  // From now on Ctrl-D at the terminal is the end of input. Standard input is watched only when
  // it is a terminal: a script's /dev/null or closed pipe is no operator ending a batch.
  void WatchInput();
  Request Wait(int limit_ms) override;

 private:
  Request Pending() const;
  // Reads what the operator typed; an end of file there is the end of input.
  void TakeInput();

  bool watch_input_ = false;
  bool input_ended_ = false;
};

}  // namespace trelvin2
