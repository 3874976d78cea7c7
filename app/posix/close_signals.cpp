#include "app/posix/close_signals.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <initializer_list>

namespace trelvin2 {
namespace {

volatile std::sig_atomic_t caught_signal = 0;
int pipe_read_end = -1;
int pipe_write_end = -1;

extern "C" void NoteCloseSignal(int number) {
  if (caught_signal == 0) caught_signal = number;
  const int saved_errno = errno;
  const char byte = 1;
  // One byte is enough to keep the read end readable; a full pipe changes nothing.
  [[maybe_unused]] const auto written = write(pipe_write_end, &byte, 1);
  errno = saved_errno;
}

}  // namespace

bool WatchCloseSignals() {
  if (pipe_read_end >= 0) return true;
  int ends[2];
  if (pipe2(ends, O_NONBLOCK | O_CLOEXEC) != 0) return false;
  pipe_read_end = ends[0];
  pipe_write_end = ends[1];

  struct sigaction action {};
  action.sa_handler = NoteCloseSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;  // the serial waits retry on EINTR anyway; keep other calls simple
  for (int number : {SIGINT, SIGTERM, SIGHUP}) sigaction(number, &action, nullptr);
  return true;
}

int CloseSignalFd() { return pipe_read_end; }

int CaughtCloseSignal() { return caught_signal; }

int ExitStatusAfterSignal(int normal_status) {
  return caught_signal != 0 ? 128 + caught_signal : normal_status;
}

}  // namespace trelvin2
