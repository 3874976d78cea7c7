// trelvin2-rs232.exe: sets the serial parameters of a Trelvin 2 through its boot loader.
// It takes no arguments and keeps no files.
#include <windows.h>

#include "app/program.h"
#include "app/program_run.h"
#include "serial/win32/system_clock.h"
#include "serial/win32/win32_serial_link.h"
#include "ui/win32/win32_toolkit.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE /*previous*/, PWSTR /*command_line*/,
                    int /*show*/) {
  trelvin2::Win32Toolkit toolkit(instance);
  trelvin2::Win32SerialLink link;
  trelvin2::SystemClock clock;
  trelvin2::Program program(toolkit, link, clock);
  return trelvin2::RunProgram(program);
}
