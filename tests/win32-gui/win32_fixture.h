// A Win32 toolkit and a Program around it, with a serial link and a clock that stand still, and
// what the tests read back from the real windows: sizes, styles, fonts and pixels.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <string>
#include <utility>
#include <vector>

#include "app/program.h"
#include "app/program_run.h"
#include "tests/support/fake_serial_link.h"
#include "tests/support/virtual_clock.h"
#include "ui/win32/win32_toolkit.h"
#include "ui/windows.h"

namespace trelvin2 {

// What GDI resolved for a font: the face it really uses and its metrics.
struct ResolvedFont {
  std::string face;
  int em_pixels = 0;  // character height: cell height less internal leading
  int weight = 0;
  bool fixed_pitch = false;
};

ResolvedFont Resolve(HFONT font);

// A control's place in its window's inner area.
RECT PlaceInWindow(HWND control);
SIZE InnerSize(HWND window);
std::string ClassOf(HWND hwnd);
std::string TextOf(HWND hwnd);
bool HasStyle(HWND hwnd, LONG style);
// The control's pixels as its window's surface holds them now, without servicing the window.
std::vector<std::uint32_t> Pixels(HWND control);

class Win32Test : public ::testing::Test {
 protected:
  explicit Win32Test(int dpi = 96) : toolkit(GetModuleHandleW(nullptr), dpi) {
    toolkit.SetMessageBoxCall([this](std::string_view title, std::string_view text) {
      message_boxes.emplace_back(std::string(title), std::string(text));
    });
  }

  // Lets Wine map and paint what was shown, as the program's next event wait would. Inputs
  // that arrive meanwhile stay in the toolkit's queue.
  static void Settle(int ms = 50);

  // The main window as start-up leaves it, then the port window over it.
  void OpenMainAndPortWindows() {
    StartUp(program);
    OpenPortWindow(program);
  }

  Win32Toolkit toolkit;
  FakeSerialLink link;
  VirtualClock clock;
  Program program{toolkit, link, clock};
  std::vector<std::pair<std::string, std::string>> message_boxes;
};

}  // namespace trelvin2
