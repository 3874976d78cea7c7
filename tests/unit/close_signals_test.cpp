// SIGINT, SIGTERM and SIGHUP are noted, not obeyed: the pipe becomes readable and stays so, and
// the exit status tells the signal. Each case runs in a child process: the handlers are the
// process's own.
#include "app/posix/close_signals.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace trelvin2 {
namespace {

bool Readable(int fd) {
  pollfd entry{fd, POLLIN, 0};
  return poll(&entry, 1, 0) == 1 && (entry.revents & POLLIN) != 0;
}

// The child's exit status: 0 when every expectation held, else the number of the first that failed.
int RunInChild(int signal_number) {
  const pid_t child = fork();
  if (child == 0) {
    if (!WatchCloseSignals() || CloseSignalFd() < 0) _exit(1);
    if (Readable(CloseSignalFd()) || CaughtCloseSignal() != 0) _exit(2);
    if (ExitStatusAfterSignal(0) != 0) _exit(3);
    raise(signal_number);  // the process lives on
    if (!Readable(CloseSignalFd())) _exit(4);
    raise(SIGINT);  // a second signal does not replace the first
    if (CaughtCloseSignal() != signal_number) _exit(5);
    if (!Readable(CloseSignalFd())) _exit(6);  // nobody reads it: every later wait sees it
    _exit(ExitStatusAfterSignal(0) == 128 + signal_number ? 0 : 7);
  }
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 100 + WTERMSIG(status);
}

TEST(CloseSignals, AreNotedWithTheFirstSignalsExitStatus) {
  for (int number : {SIGTERM, SIGINT, SIGHUP}) {
    EXPECT_EQ(RunInChild(number), 0) << strsignal(number) << " (100 + n: killed by signal n)";
  }
}

}  // namespace
}  // namespace trelvin2
