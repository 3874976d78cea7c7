// The main window changes its progress and status line, then the thread sleeps without servicing
// its windows, as during a loader step: drawing_while_busy.py photographs the screen meanwhile.
// Prints "ready X Y W H" (the progress bar on the screen) before the change and "changed" after.
#include <windows.h>

#include <cstdio>

#include "app/program.h"
#include "app/program_run.h"
#include "tests/support/fake_serial_link.h"
#include "tests/support/virtual_clock.h"
#include "ui/win32/win32_toolkit.h"
#include "ui/windows.h"

int main() {
  using namespace trelvin2;
  constexpr int kMapMs = 500;          // time for Wine and the window manager to show the window
  constexpr int kBeforeShotMs = 1500;  // the "before" picture is taken meanwhile
  constexpr int kBusyMs = 4000;        // as long as an erase and three blocks take at most

  Win32Toolkit toolkit(GetModuleHandleW(nullptr));
  FakeSerialLink link;
  VirtualClock clock;
  Program program(toolkit, link, clock);
  StartUp(program);
  toolkit.SetControlColour(kStatusLine, kColourBackground, program.status_grey);
  toolkit.WaitEvent(kMapMs);
  RECT bar{};
  GetWindowRect(toolkit.Control(kProgressBar), &bar);
  std::printf("ready %ld %ld %ld %ld\n", bar.left, bar.top, bar.right - bar.left,
              bar.bottom - bar.top);
  std::fflush(stdout);
  Sleep(kBeforeShotMs);

  toolkit.SetControlState(kProgressBar, kProgressMaximum / 2);
  toolkit.SetControlText(kStatusLine, "Lösche Modem");
  std::printf("changed\n");
  std::fflush(stdout);
  Sleep(kBusyMs);
  Shutdown(program);
  return 0;
}
