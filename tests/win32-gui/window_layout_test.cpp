// The three windows: titles, frame styles, inner sizes, where they stand, and the layout scaled
// for a dense display.
#include "tests/win32-gui/win32_fixture.h"
#include "ui/win32/dpi_scale.h"

namespace trelvin2 {
namespace {

struct WindowCase {
  int number;
  const char* title;
  SIZE inner;
  bool fixed;
};

class WindowLayout : public Win32Test {
 protected:
  // Every window as the program shows it: the main window, the port window over it, or the
  // settings window over the main window.
  HWND OpenAsProgramDoes(int number) {
    StartUp(program);
    if (number == kPortWindow) OpenPortWindow(program);
    if (number == kSettingsWindow) OpenSettingsWindow(program);
    Settle();
    return toolkit.Window(number);
  }

  static POINT Centre(HWND window) {
    RECT frame{};
    GetWindowRect(window, &frame);
    return {(frame.left + frame.right) / 2, (frame.top + frame.bottom) / 2};
  }
};

TEST_F(WindowLayout, TitleFrameAndInnerSize) {
  const WindowCase cases[] = {
      {kMainWindow, "RS232-Einstellung für das Trelvin 2", {492, 183}, false},
      {kPortWindow, "RS232 Port zum Modem", {258, 90}, false},
      {kSettingsWindow, "RS232 Konfigurationdaten", {400, 110}, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.title);
    toolkit.ReleaseAll();
    HWND window = OpenAsProgramDoes(c.number);
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_EQ(TextOf(window), c.title);
    const SIZE inner = InnerSize(window);
    EXPECT_EQ(inner.cx, c.inner.cx);
    EXPECT_EQ(inner.cy, c.inner.cy);
    EXPECT_TRUE(HasStyle(window, WS_CAPTION | WS_SYSMENU));
    EXPECT_FALSE(HasStyle(window, WS_MINIMIZEBOX));
    EXPECT_FALSE(HasStyle(window, WS_MAXIMIZEBOX));
    EXPECT_EQ(HasStyle(window, WS_THICKFRAME), !c.fixed);
  }
}

TEST_F(WindowLayout, MainWindowFrameStandsWhereAsked) {
  HWND main = OpenAsProgramDoes(kMainWindow);
  RECT frame{};
  GetWindowRect(main, &frame);
  EXPECT_EQ(frame.left, 229);
  EXPECT_EQ(frame.top, 109);
}

TEST_F(WindowLayout, PortAndSettingsWindowsAreCentredOverAndOwnedByTheMainWindow) {
  for (int number : {kPortWindow, kSettingsWindow}) {
    SCOPED_TRACE(number);
    toolkit.ReleaseAll();
    HWND window = OpenAsProgramDoes(number);
    HWND main = toolkit.Window(kMainWindow);
    ASSERT_NE(window, nullptr);
    const POINT a = Centre(window);
    const POINT b = Centre(main);
    EXPECT_LE(std::abs(a.x - b.x) + std::abs(a.y - b.y), 2) << a.x - b.x << "," << a.y - b.y;
    // Owned: it stays in front of the main window and leaves no button of its own.
    EXPECT_EQ(GetWindow(window, GW_OWNER), main);
  }
}

TEST_F(WindowLayout, CentredOverWhicheverPlaceTheMainWindowHas) {
  StartUp(program);
  HWND main = toolkit.Window(kMainWindow);
  SetWindowPos(main, nullptr, 10, 20, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  Settle();
  OpenPortWindow(program);
  RECT main_frame{};
  RECT port_frame{};
  GetWindowRect(main, &main_frame);
  GetWindowRect(toolkit.Window(kPortWindow), &port_frame);
  const LONG main_width = main_frame.right - main_frame.left;
  const LONG port_width = port_frame.right - port_frame.left;
  const LONG main_height = main_frame.bottom - main_frame.top;
  const LONG port_height = port_frame.bottom - port_frame.top;
  EXPECT_EQ(port_frame.left, 10 + (main_width - port_width) / 2);
  EXPECT_EQ(port_frame.top, 20 + (main_height - port_height) / 2);
}

TEST_F(WindowLayout, CentredWindowWithNothingToCentreOverUsesItsOwnPlace) {
  toolkit.OpenWindow(kPortWindow, 288, 280, 258, 90, kPortWindowTitle,
                     kWindowSizable | kWindowCentred);
  RECT frame{};
  GetWindowRect(toolkit.Window(kPortWindow), &frame);
  EXPECT_EQ(frame.left, 288);
  EXPECT_EQ(frame.top, 280);
  EXPECT_EQ(GetWindow(toolkit.Window(kPortWindow), GW_OWNER), nullptr);
}

TEST_F(WindowLayout, ResizingMovesNothingInside) {
  HWND main = OpenAsProgramDoes(kMainWindow);
  SetWindowPos(main, nullptr, 0, 0, 700, 400, SWP_NOMOVE | SWP_NOZORDER);
  Settle();
  const RECT button = PlaceInWindow(toolkit.Control(kStartButton));
  EXPECT_EQ(button.left, 10);
  EXPECT_EQ(button.top, 100);
  EXPECT_EQ(button.right, 210);
  EXPECT_EQ(button.bottom, 130);
}

TEST_F(WindowLayout, ClosingTheMainWindowTakesTheWindowsItOwns) {
  OpenAsProgramDoes(kPortWindow);
  HWND port = toolkit.Window(kPortWindow);
  toolkit.CloseWindow(kMainWindow);
  EXPECT_FALSE(IsWindow(port));
  EXPECT_EQ(toolkit.Window(kPortWindow), nullptr);
  EXPECT_EQ(toolkit.Control(kPortOkButton), nullptr);
  EXPECT_EQ(toolkit.Control(kStartButton), nullptr);
}

// At 144 dots per inch (150 %) every length and font is half as large again.
class DenseDisplay : public Win32Test {
 protected:
  static constexpr int kDpi = 144;
  DenseDisplay() : Win32Test(kDpi) {}
};

TEST_F(DenseDisplay, LayoutAndFontsAreScaled) {
  StartUp(program);
  Settle();
  const SIZE inner = InnerSize(toolkit.Window(kMainWindow));
  EXPECT_EQ(inner.cx, 738);  // 492 x 1.5
  EXPECT_EQ(inner.cy, 275);  // 183 x 1.5, rounded
  const RECT button = PlaceInWindow(toolkit.Control(kStartButton));
  EXPECT_EQ(button.left, 15);
  EXPECT_EQ(button.top, 150);
  EXPECT_EQ(button.right - button.left, 300);
  EXPECT_EQ(button.bottom - button.top, 45);
  // 11 pt at 144 dpi: 22 pixels.
  const ResolvedFont font = Resolve(
      reinterpret_cast<HFONT>(SendMessageW(toolkit.Control(kStartButton), WM_GETFONT, 0, 0)));
  EXPECT_NEAR(font.em_pixels, FontPixels(11, kDpi), 1);
  // The banner is scaled with the layout.
  auto bitmap = reinterpret_cast<HBITMAP>(
      SendMessageW(toolkit.Control(kBannerControl), STM_GETIMAGE, IMAGE_BITMAP, 0));
  BITMAP size{};
  ASSERT_NE(GetObjectW(bitmap, sizeof size, &size), 0);
  EXPECT_EQ(size.bmWidth, 270);
  EXPECT_EQ(size.bmHeight, 30);
}

}  // namespace
}  // namespace trelvin2
