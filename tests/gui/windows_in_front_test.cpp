// The port and settings windows stay in front of the main window, and a request to end from
// outside the windows (the pipe a signal handler writes to) is a close request that stays.
#include <unistd.h>

#include <QTimer>
#include <QWindow>
#include <chrono>

#include "serial/port_selection.h"
#include "tests/gui/gui_fixture.h"

namespace trelvin2 {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr milliseconds kLateSlack{900};  // a busy two-core machine runs the thread late

class WindowsInFront : public GuiTest {};

TEST_F(WindowsInFront, PortAndSettingsWindowsBelongToTheMainWindow) {
  OpenMainAndPortWindows();
  const QWindow* main = toolkit.Window(kMainWindow)->windowHandle();
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(toolkit.Window(kPortWindow)->windowHandle()->transientParent(), main);
  toolkit.CloseWindow(kPortWindow);
  Settle();
  OpenSettingsWindow(program);
  EXPECT_EQ(toolkit.Window(kSettingsWindow)->windowHandle()->transientParent(), main);
  EXPECT_EQ(main->transientParent(), nullptr);
}

TEST_F(WindowsInFront, ActivatingTheMainWindowUnderThePortWindowIsReported) {
  OpenMainAndPortWindows();
  Settle();
  // Opening windows and activating one are the program's own doing: no event.
  EXPECT_EQ(toolkit.WaitEvent(0), kNoEvent);
  ASSERT_EQ(toolkit.ForegroundWindowNumber(), kPortWindow);

  // What the window manager does on a click into the main window.
  toolkit.Window(kMainWindow)->activateWindow();
  Settle();
  EXPECT_EQ(toolkit.WaitEvent(0), kWindowActivated);
  EXPECT_EQ(toolkit.EventWindow(), kMainWindow);

  // The port choice takes the foreground back, which reports nothing again.
  toolkit.ActivateWindow(kPortWindow);
  Settle();
  EXPECT_EQ(toolkit.WaitEvent(0), kNoEvent);
  EXPECT_EQ(toolkit.ForegroundWindowNumber(), kPortWindow);
}

class CloseSignal : public GuiTest {
 protected:
  void SetUp() override {
    ASSERT_EQ(pipe(ends), 0);
    toolkit.WatchCloseRequests(ends[0]);
    OpenMainAndPortWindows();
    Settle();
  }
  void TearDown() override {
    close(ends[0]);
    close(ends[1]);
  }
  void SignalIn(int ms) {
    QTimer::singleShot(ms, [this] {
      const char byte = 1;
      ASSERT_EQ(write(ends[1], &byte, 1), 1);
    });
  }

  int ends[2] = {-1, -1};
};

TEST_F(CloseSignal, EndsAnUnlimitedWaitAndEveryLaterOneAtOnce) {
  SignalIn(50);
  EXPECT_EQ(toolkit.WaitEvent(kNoTimeLimit), kCloseRequest);
  EXPECT_EQ(toolkit.EventWindow(), -1);
  for (int limit : {kNoTimeLimit, 0, 1000}) {
    const auto start = Clock::now();
    EXPECT_EQ(toolkit.WaitEvent(limit), kCloseRequest) << limit;
    EXPECT_LT(Clock::now() - start, kLateSlack) << limit;
  }
}

TEST_F(CloseSignal, ComesBeforeInputsThatWereQueued) {
  toolkit.Window(kPortWindow)->windowHandle()->close();  // the close box: queued
  SignalIn(0);
  Settle();
  EXPECT_EQ(toolkit.WaitEvent(0), kCloseRequest);
  EXPECT_EQ(toolkit.EventWindow(), -1);
}

TEST_F(CloseSignal, ClosesAMessageBoxThatWaitsForTheOperator) {
  toolkit.SetMessageBoxCall(nullptr);  // the real modal box
  SignalIn(200);
  const auto start = Clock::now();
  toolkit.ShowMessageBox("E  R  R  O  R",
                         "Es konnte keine Verbindung zum Loader hergestellt werden!");
  EXPECT_LT(Clock::now() - start, milliseconds(200) + kLateSlack);
  EXPECT_EQ(toolkit.WaitEvent(0), kCloseRequest);
}

}  // namespace
}  // namespace trelvin2
