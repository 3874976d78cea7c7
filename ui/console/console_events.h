// Where a console program's requests come from: Ctrl-C and its kin (an interrupt), and the end of
// the operator's input (Ctrl-D at a terminal), seen by a wait with a time limit. The platform's
// implementation blocks in the system's own wait; tests use one on the virtual clock.
#pragma once

namespace trelvin2 {

class ConsoleEvents {
 public:
  enum class Request {
    kNone,
    kInterrupt,   // Ctrl-C, SIGTERM, SIGHUP, or the platform's equivalent
    kEndOfInput,  // the operator ended the input: no further unit is coming
  };

  virtual ~ConsoleEvents() = default;
  // Waits until a request is pending or limit_ms have passed (0 polls; a negative limit waits
  // for ever) and returns what is pending. A request stays pending once it came: every later
  // wait returns it at once. An interrupt outranks the end of input.
  virtual Request Wait(int limit_ms) = 0;
};

}  // namespace trelvin2
