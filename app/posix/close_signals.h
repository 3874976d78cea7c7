// SIGINT, SIGTERM and SIGHUP as a close request: the handler only notes the signal and makes a
// pipe readable, so that the event wait (which watches that pipe) reports a close request and the
// program ends through its one Shutdown, with the port released and nothing half-written.
#pragma once

namespace trelvin2 {

// Installs the handlers once; false when the pipe cannot be made (the signals then keep their
// default action).
bool WatchCloseSignals();

// The pipe's read end, readable from the first caught signal on; -1 before WatchCloseSignals.
// Nothing needs to read it: it stays readable, so every later wait sees the request again.
int CloseSignalFd();

// The first signal caught, 0 while none has come.
int CaughtCloseSignal();

// The exit status that tells a caller the program ended on a signal: 128 + its number, or
// normal_status when none came.
int ExitStatusAfterSignal(int normal_status);

}  // namespace trelvin2
