// trelvin2-cli on POSIX: the desktop tool's update from a terminal, for scripts and production
// lines. Ctrl-C, SIGTERM and SIGHUP are a close request.
#include <signal.h>
#include <unistd.h>

#include <fstream>
#include <iostream>
#include <memory>

#include "app/cli/cli_main.h"
#include "app/cli/exit_status.h"
#include "app/cli/posix/port_access.h"
#include "app/posix/close_signals.h"
#include "serial/posix/posix_serial_link.h"
#include "serial/posix/system_clock.h"
#include "ui/console/posix/signal_events.h"

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  // A reader that goes away (| head, a closed log pipe) must not end the program in the middle of
  // a unit: its output is lost, the update runs to its end.
  signal(SIGPIPE, SIG_IGN);
  // Where other programs leave their UUCP lock files; the same folder the link checks.
  const std::string lock_dir = "/var/lock";

  trelvin2::PosixSerialLink link("/dev", lock_dir);
  trelvin2::SystemClock clock;
  trelvin2::SignalEvents events;

  trelvin2::CliPlatform platform(link, clock, events, std::cout, std::cerr);
  platform.out_is_terminal = isatty(STDOUT_FILENO) == 1;
  platform.err_is_terminal = isatty(STDERR_FILENO) == 1;
  platform.port_name_ok = trelvin2::CliPortNameOk;
  platform.open_port = [&](const std::string& name) { return trelvin2::OpenCliPort(link, name); };
  platform.describe_port = [&](const std::string& name) {
    return trelvin2::DescribeCliPort(link, name);
  };
  platform.batch_started = [&] { events.WatchInput(); };
  platform.list_ports = [&] { return trelvin2::ListCliPorts(link, lock_dir); };
  platform.open_trace = [](const std::string& path) -> std::unique_ptr<std::ostream> {
    auto file = std::make_unique<std::ofstream>(path);
    if (!*file) return nullptr;
    return file;
  };

  const int status = trelvin2::CliMain(args, platform);
  return status == trelvin2::kExitInterrupted ? trelvin2::ExitStatusAfterSignal(status) : status;
}
