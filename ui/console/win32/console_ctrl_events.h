// The console's requests on Windows: Ctrl-C, Ctrl-Break and the console window's close make an
// event object signalled, and the wait waits on it.
#pragma once

#include "ui/console/console_events.h"

namespace trelvin2 {

class ConsoleCtrlEvents : public ConsoleEvents {
 public:
  // Installs the console control handler; without it Ctrl-C keeps its default action.
  ConsoleCtrlEvents();
  ~ConsoleCtrlEvents() override;
  ConsoleCtrlEvents(const ConsoleCtrlEvents&) = delete;
  ConsoleCtrlEvents& operator=(const ConsoleCtrlEvents&) = delete;

  // The end of input (Ctrl-Z) is not watched here: a batch ends with Ctrl-C or its count.
  Request Wait(int limit_ms) override;
};

}  // namespace trelvin2
