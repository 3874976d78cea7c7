// trelvin2-rs232: sets the serial parameters of a Trelvin 2 through its boot loader.
// It takes no arguments and keeps no files.
#include <QApplication>

#include "app/program.h"
#include "app/program_run.h"
#include "serial/posix/posix_serial_link.h"
#include "serial/posix/system_clock.h"
#include "ui/qt/qt_toolkit.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  // Every way out goes through the program's own Shutdown; closing a window only reports.
  QApplication::setQuitOnLastWindowClosed(false);

  trelvin2::QtToolkit toolkit;
  trelvin2::PosixSerialLink link;
  trelvin2::SystemClock clock;
  trelvin2::Program program(toolkit, link, clock);
  return trelvin2::RunProgram(program);
}
