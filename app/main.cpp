// trelvin2-rs232: sets the serial parameters of a Trelvin 2 through its boot loader.
// It takes no arguments and keeps no files.
#include <QApplication>
#include <QLibraryInfo>
#include <cstdio>

#include "app/posix/close_signals.h"
#include "app/posix/display_check.h"
#include "app/program.h"
#include "app/program_run.h"
#include "serial/posix/posix_serial_link.h"
#include "serial/posix/system_clock.h"
#include "ui/qt/qt_toolkit.h"

int main(int argc, char** argv) {
  // First of all: a Ctrl-C or SIGTERM from here on is a close request, never a sudden death
  // that leaves the port flagged exclusive, our lock files behind, or the device half-written.
  trelvin2::WatchCloseSignals();

  const std::string no_display =
      trelvin2::PrepareDisplay(QLibraryInfo::path(QLibraryInfo::PluginsPath).toStdString());
  if (!no_display.empty()) {
    std::fprintf(stderr, "%s\n", no_display.c_str());
    return 1;
  }

  QApplication app(argc, argv);
  // Every way out goes through the program's own Shutdown; closing a window only reports.
  QApplication::setQuitOnLastWindowClosed(false);

  trelvin2::QtToolkit toolkit;
  toolkit.WatchCloseRequests(trelvin2::CloseSignalFd());
  trelvin2::PosixSerialLink link;
  trelvin2::SystemClock clock;
  trelvin2::Program program(toolkit, link, clock);
  const int status = trelvin2::RunProgram(program);
  // 128 + the signal's number after a signal, as a shell reports a process the signal ended.
  return trelvin2::ExitStatusAfterSignal(status);
}
