// WaitEvent: one input per call, the close box intercepted, and the time limit kept.
#include <QComboBox>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <chrono>

#include "tests/gui/gui_fixture.h"

namespace trelvin2 {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// The wait promises its limit, on a precise timer that ends it within a millisecond; a busy
// two-core machine runs the thread late by a few scheduler slices, never early (measured at a
// load of 10 on 2 cores: 25 ms at most in 400 waits). One main-loop wait of slack still catches
// a wait that overruns its limit, or a click that does not end the wait it comes in.
constexpr milliseconds kLateSlack{100};

class Events : public GuiTest {
 protected:
  void SetUp() override {
    OpenMainAndPortWindows();
    Settle();
  }

  void Click(int control) { QTest::mouseClick(toolkit.Control(control), Qt::LeftButton); }

  // What the close box sends: a close request from the window system.
  void CloseBox(int window) { toolkit.Window(window)->windowHandle()->close(); }

  static milliseconds Since(Clock::time_point start) {
    return std::chrono::duration_cast<milliseconds>(Clock::now() - start);
  }
};

TEST_F(Events, IdleWaitReturnsNothingAfterItsLimit) {
  for (int limit : {20, 100}) {
    SCOPED_TRACE(limit);
    const auto start = Clock::now();
    EXPECT_EQ(toolkit.WaitEvent(limit), kNoEvent);
    const auto waited = Since(start);
    EXPECT_GE(waited, milliseconds(limit));
    EXPECT_LT(waited, milliseconds(limit) + kLateSlack);
  }
}

TEST_F(Events, ZeroLimitPolls) {
  const auto start = Clock::now();
  EXPECT_EQ(toolkit.WaitEvent(0), kNoEvent);
  EXPECT_LT(Since(start), kLateSlack);
}

TEST_F(Events, QueuedClickReturnsAtOnceWithItsControl) {
  Click(kPortOkButton);
  const auto start = Clock::now();
  EXPECT_EQ(toolkit.WaitEvent(kNoTimeLimit), kControlActivity);
  EXPECT_LT(Since(start), kLateSlack);
  EXPECT_EQ(toolkit.EventControl(), kPortOkButton);
  EXPECT_EQ(toolkit.EventWindow(), kPortWindow);
}

TEST_F(Events, ClickDuringTheWaitEndsIt) {
  QTimer::singleShot(30, [this] { Click(kStartButton); });
  const auto start = Clock::now();
  EXPECT_EQ(toolkit.WaitEvent(5000), kControlActivity);
  EXPECT_LT(Since(start), milliseconds(30) + kLateSlack);
  EXPECT_EQ(toolkit.EventControl(), kStartButton);
  EXPECT_EQ(toolkit.EventWindow(), kMainWindow);
}

TEST_F(Events, UnlimitedWaitEndsOnAnInput) {
  QTimer::singleShot(30, [this] { CloseBox(kMainWindow); });
  EXPECT_EQ(toolkit.WaitEvent(kNoTimeLimit), kCloseRequest);
  EXPECT_EQ(toolkit.EventWindow(), kMainWindow);
}

TEST_F(Events, InputsThatPiledUpComeOneByOneInOrder) {
  Click(kStartButton);
  Click(kPortOkButton);
  CloseBox(kPortWindow);
  EXPECT_EQ(toolkit.WaitEvent(100), kControlActivity);
  EXPECT_EQ(toolkit.EventControl(), kStartButton);
  EXPECT_EQ(toolkit.WaitEvent(100), kControlActivity);
  EXPECT_EQ(toolkit.EventControl(), kPortOkButton);
  EXPECT_EQ(toolkit.WaitEvent(100), kCloseRequest);
  EXPECT_EQ(toolkit.EventWindow(), kPortWindow);
  EXPECT_EQ(toolkit.WaitEvent(0), kNoEvent);
}

TEST_F(Events, CloseBoxIsReportedAndTheWindowStays) {
  for (int window : {kMainWindow, kPortWindow}) {
    SCOPED_TRACE(window);
    CloseBox(window);
    EXPECT_EQ(toolkit.WaitEvent(0), kCloseRequest);
    EXPECT_EQ(toolkit.EventWindow(), window);
    Settle();
    ASSERT_NE(toolkit.Window(window), nullptr);
    EXPECT_TRUE(toolkit.Window(window)->isVisible());
  }
}

TEST_F(Events, ListSelectionByTheOperatorIsControlActivity) {
  toolkit.AddControlItem(kPortList, kAppend, "com1");
  toolkit.AddControlItem(kPortList, kAppend, "com2");
  toolkit.SetControlState(kPortList, 0);
  EXPECT_EQ(toolkit.WaitEvent(0), kNoEvent);  // the program's own selection reports nothing
  QTest::keyClick(toolkit.Control(kPortList), Qt::Key_Down);
  EXPECT_EQ(toolkit.WaitEvent(0), kControlActivity);
  EXPECT_EQ(toolkit.EventControl(), kPortList);
  EXPECT_EQ(toolkit.GetControlText(kPortList), "com2");
}

TEST_F(Events, DisabledButtonReportsNothing) {
  toolkit.DisableControl(kStartButton, 1);
  Click(kStartButton);
  EXPECT_EQ(toolkit.WaitEvent(0), kNoEvent);
  toolkit.DisableControl(kStartButton, 0);
  Click(kStartButton);
  EXPECT_EQ(toolkit.WaitEvent(0), kControlActivity);
}

TEST_F(Events, ClosedWindowTakesItsInputsAndControlsAlong) {
  Click(kPortOkButton);
  toolkit.CloseWindow(kPortWindow);
  EXPECT_EQ(toolkit.Window(kPortWindow), nullptr);
  for (int control : {kPortList, kPortCaptionControl, kPortOkButton, kPortMessageControl}) {
    EXPECT_EQ(toolkit.Control(control), nullptr) << control;
  }
  // Removing a window is not a close request, and the click in it is gone with it.
  EXPECT_EQ(toolkit.WaitEvent(50), kNoEvent);
  EXPECT_NE(toolkit.Window(kMainWindow), nullptr);
}

TEST_F(Events, ActivatedWindowIsInTheForeground) {
  toolkit.ActivateWindow(kPortWindow);
  Settle();
  EXPECT_EQ(toolkit.ForegroundWindowNumber(), kPortWindow);
  toolkit.ActivateWindow(kMainWindow);
  Settle();
  EXPECT_EQ(toolkit.ForegroundWindowNumber(), kMainWindow);
  toolkit.ReleaseAll();
  EXPECT_EQ(toolkit.ForegroundWindowNumber(), -1);
}

}  // namespace
}  // namespace trelvin2
