// WaitEvent: one input per call, the close box intercepted, and the time limit kept.
#include "tests/win32-gui/win32_fixture.h"

namespace trelvin2 {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// A busy two-core machine may run the thread late, never early.
constexpr milliseconds kLateSlack{900};

// What a thread timer does once, 30 ms into a wait.
std::function<void()> timer_action;

void CALLBACK RunTimerAction(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  if (timer_action) timer_action();
}

class Events : public Win32Test {
 protected:
  void SetUp() override {
    OpenMainAndPortWindows();
    Settle();
  }
  void TearDown() override { timer_action = nullptr; }

  // A click as the button gets it from the mouse: queued, handled when the thread next
  // dispatches its messages.
  void Click(int control) { PostMessageW(toolkit.Control(control), BM_CLICK, 0, 0); }
  // What the close box sends.
  void CloseBox(int window) { PostMessageW(toolkit.Window(window), WM_SYSCOMMAND, SC_CLOSE, 0); }

  static void After30Ms(std::function<void()> action) {
    timer_action = std::move(action);
    SetTimer(nullptr, 0, 30, &RunTimerAction);
  }

  // The next input that is not an activation: a window manager may move its focus about while
  // these tests run, which is not what they look at (ActivatingTheMainWindow... does).
  int NextInput(int limit_ms) {
    int event = toolkit.WaitEvent(limit_ms);
    while (event == kWindowActivated) event = toolkit.WaitEvent(limit_ms);
    return event;
  }

  static milliseconds Since(Clock::time_point start) {
    return std::chrono::duration_cast<milliseconds>(Clock::now() - start);
  }
};

TEST_F(Events, IdleWaitReturnsNothingAfterItsLimit) {
  for (int limit : {20, 100}) {
    SCOPED_TRACE(limit);
    const auto start = Clock::now();
    EXPECT_EQ(NextInput(limit), kNoEvent);
    const auto waited = Since(start);
    EXPECT_GE(waited, milliseconds(limit));
    EXPECT_LT(waited, milliseconds(limit) + kLateSlack);
  }
}

TEST_F(Events, IdleWaitSleeps) {
  // Never busy: ten 100 ms waits cost next to no processor time.
  FILETIME created, exited, kernel_before, user_before, kernel_after, user_after;
  GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel_before, &user_before);
  for (int i = 0; i < 10; ++i) toolkit.WaitEvent(100);
  GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel_after, &user_after);
  auto ticks = [](const FILETIME& t) {
    return static_cast<long long>(t.dwHighDateTime) << 32 | t.dwLowDateTime;
  };
  const long long busy_100ns =
      ticks(kernel_after) - ticks(kernel_before) + ticks(user_after) - ticks(user_before);
  EXPECT_LT(busy_100ns, 100 * 10000);  // under 100 ms of the 1000 ms waited
}

TEST_F(Events, ZeroLimitPolls) {
  const auto start = Clock::now();
  EXPECT_EQ(NextInput(0), kNoEvent);
  EXPECT_LT(Since(start), kLateSlack);
}

TEST_F(Events, QueuedClickReturnsAtOnceWithItsControl) {
  Click(kPortOkButton);
  const auto start = Clock::now();
  EXPECT_EQ(NextInput(kNoTimeLimit), kControlActivity);
  EXPECT_LT(Since(start), kLateSlack);
  EXPECT_EQ(toolkit.EventControl(), kPortOkButton);
  EXPECT_EQ(toolkit.EventWindow(), kPortWindow);
}

TEST_F(Events, ClickDuringTheWaitEndsIt) {
  // The main window in front, so that the click is all there is to report.
  toolkit.ActivateWindow(kMainWindow);
  Settle();
  After30Ms([this] { Click(kStartButton); });
  const auto start = Clock::now();
  EXPECT_EQ(NextInput(5000), kControlActivity);
  EXPECT_LT(Since(start), milliseconds(30) + kLateSlack);
  EXPECT_EQ(toolkit.EventControl(), kStartButton);
  EXPECT_EQ(toolkit.EventWindow(), kMainWindow);
}

TEST_F(Events, UnlimitedWaitEndsOnAnInput) {
  After30Ms([this] { CloseBox(kMainWindow); });
  EXPECT_EQ(NextInput(kNoTimeLimit), kCloseRequest);
  EXPECT_EQ(toolkit.EventWindow(), kMainWindow);
}

TEST_F(Events, InputsThatPiledUpComeOneByOneInOrder) {
  Click(kStartButton);
  Click(kPortOkButton);
  CloseBox(kPortWindow);
  EXPECT_EQ(NextInput(100), kControlActivity);
  EXPECT_EQ(toolkit.EventControl(), kStartButton);
  EXPECT_EQ(NextInput(100), kControlActivity);
  EXPECT_EQ(toolkit.EventControl(), kPortOkButton);
  EXPECT_EQ(NextInput(100), kCloseRequest);
  EXPECT_EQ(toolkit.EventWindow(), kPortWindow);
  EXPECT_EQ(NextInput(0), kNoEvent);
}

TEST_F(Events, CloseBoxIsReportedAndTheWindowStays) {
  for (int window : {kMainWindow, kPortWindow}) {
    SCOPED_TRACE(window);
    CloseBox(window);
    EXPECT_EQ(NextInput(0), kCloseRequest);
    EXPECT_EQ(toolkit.EventWindow(), window);
    Settle();
    ASSERT_NE(toolkit.Window(window), nullptr);
    EXPECT_TRUE(IsWindowVisible(toolkit.Window(window)));
  }
}

TEST_F(Events, ListSelectionByTheOperatorIsOneControlActivity) {
  HWND list = toolkit.Control(kPortList);
  for (const char* name : {"com1", "com2", "com3"})
    toolkit.AddControlItem(kPortList, kAppend, name);
  toolkit.SetControlState(kPortList, 0);
  EXPECT_EQ(NextInput(0), kNoEvent);  // the program's own selection reports nothing

  // The arrow key on the closed list.
  SetFocus(list);
  PostMessageW(list, WM_KEYDOWN, VK_DOWN, 0);
  EXPECT_EQ(NextInput(100), kControlActivity);
  EXPECT_EQ(toolkit.EventControl(), kPortList);
  EXPECT_EQ(toolkit.GetControlText(kPortList), "com2");
  EXPECT_EQ(NextInput(50), kNoEvent);

  // The open list: passing over an item is no choice; Enter on it is one.
  SendMessageW(list, CB_SHOWDROPDOWN, TRUE, 0);
  Settle();
  PostMessageW(list, WM_KEYDOWN, VK_DOWN, 0);
  PostMessageW(list, WM_KEYDOWN, VK_RETURN, 0);
  EXPECT_EQ(NextInput(100), kControlActivity);
  EXPECT_EQ(toolkit.EventControl(), kPortList);
  EXPECT_EQ(toolkit.GetControlText(kPortList), "com3");
  EXPECT_EQ(NextInput(50), kNoEvent);
}

// A real click on a disabled button never reaches it; win32-e2e.refused_write clicks the disabled
// start button on the X server and checks that nothing more goes to the device.
TEST_F(Events, DisableControlSwitchesTheButton) {
  toolkit.DisableControl(kStartButton, 1);
  EXPECT_FALSE(IsWindowEnabled(toolkit.Control(kStartButton)));
  toolkit.DisableControl(kStartButton, 0);
  EXPECT_TRUE(IsWindowEnabled(toolkit.Control(kStartButton)));
}

TEST_F(Events, ClosedWindowTakesItsInputsAndControlsAlong) {
  // One click already taken in, one still on its way.
  SendMessageW(toolkit.Control(kPortOkButton), BM_CLICK, 0, 0);
  Click(kPortOkButton);
  toolkit.CloseWindow(kPortWindow);
  EXPECT_EQ(toolkit.Window(kPortWindow), nullptr);
  for (int control : {kPortList, kPortCaptionControl, kPortOkButton, kPortMessageControl}) {
    EXPECT_EQ(toolkit.Control(control), nullptr) << control;
  }
  // Removing a window is not a close request, and the clicks in it are gone with it.
  EXPECT_EQ(NextInput(50), kNoEvent);
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

TEST_F(Events, ActivatingTheMainWindowUnderThePortWindowIsReported) {
  // Opening windows and activating one are the program's own doing, and so is what the window
  // manager does with its focus right after: no event.
  Settle(700);
  EXPECT_EQ(toolkit.WaitEvent(0), kNoEvent);
  ASSERT_EQ(toolkit.ForegroundWindowNumber(), kPortWindow);

  // What a click into the main window does.
  SetForegroundWindow(toolkit.Window(kMainWindow));
  EXPECT_EQ(toolkit.WaitEvent(100), kWindowActivated);
  EXPECT_EQ(toolkit.EventWindow(), kMainWindow);

  // The port choice takes the foreground back, which reports nothing again.
  toolkit.ActivateWindow(kPortWindow);
  EXPECT_EQ(toolkit.WaitEvent(100), kNoEvent);
  EXPECT_EQ(toolkit.ForegroundWindowNumber(), kPortWindow);

  // Closing the port window hands the front to the main window: no event either.
  toolkit.CloseWindow(kPortWindow);
  EXPECT_EQ(toolkit.WaitEvent(100), kNoEvent);
  EXPECT_EQ(toolkit.ForegroundWindowNumber(), kMainWindow);
}

}  // namespace
}  // namespace trelvin2
