// A Qt toolkit and a Program around it, with a serial link and a clock that stand still.
#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <string>
#include <utility>
#include <vector>

#include "app/program.h"
#include "app/program_run.h"
#include "tests/support/fake_serial_link.h"
#include "tests/support/virtual_clock.h"
#include "ui/qt/qt_toolkit.h"
#include "ui/windows.h"

namespace trelvin2 {

class GuiTest : public ::testing::Test {
 protected:
  GuiTest() {
    toolkit.SetMessageBoxCall([this](std::string_view title, std::string_view text) {
      message_boxes.emplace_back(std::string(title), std::string(text));
    });
  }

  // Lets the platform map, expose and paint what was shown, as the program's next event wait
  // would.
  static void Settle() {
    constexpr int kSettleMs = 50;  // enough for the offscreen platform to expose and flush
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < kSettleMs) QCoreApplication::processEvents();
  }

  // The main window as start-up leaves it, then the port window over it.
  void OpenMainAndPortWindows() {
    StartUp(program);
    OpenPortWindow(program);
  }

  QtToolkit toolkit;
  FakeSerialLink link;
  VirtualClock clock;
  Program program{toolkit, link, clock};
  std::vector<std::pair<std::string, std::string>> message_boxes;
};

}  // namespace trelvin2
