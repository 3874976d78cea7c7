// The three windows: titles, frames, sizes and where they stand.
#include <QDialog>
#include <QWidget>

#include "tests/gui/gui_fixture.h"

namespace trelvin2 {
namespace {

constexpr Qt::WindowFlags kMinMax = Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint;

struct WindowCase {
  int number;
  const char* title;
  QSize inner;
  bool fixed;
};

class WindowLayout : public GuiTest {
 protected:
  // Every window as the program shows it: the main window, the port window over it, and once
  // that is closed the settings window over the main window.
  QWidget* OpenAsProgramDoes(int number) {
    StartUp(program);
    if (number == kPortWindow) OpenPortWindow(program);
    if (number == kSettingsWindow) OpenSettingsWindow(program);
    Settle();
    return toolkit.Window(number);
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
    QWidget* window = OpenAsProgramDoes(c.number);
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window->isWindow());
    EXPECT_EQ(qobject_cast<QDialog*>(window), nullptr);  // a dialog would hide itself on Escape
    EXPECT_EQ(window->windowTitle(), QString::fromUtf8(c.title));
    EXPECT_EQ(window->geometry().size(), c.inner);
    const Qt::WindowFlags flags = window->windowFlags();
    EXPECT_TRUE(flags.testFlag(Qt::WindowTitleHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowCloseButtonHint));
    EXPECT_FALSE(flags & kMinMax);
    EXPECT_EQ(window->minimumSize() == window->maximumSize(), c.fixed);
    if (c.fixed) {
      EXPECT_EQ(window->maximumSize(), c.inner);
    }
  }
}

TEST_F(WindowLayout, MainWindowFrameStandsWhereAsked) {
  const QWidget* main = OpenAsProgramDoes(kMainWindow);
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(main->frameGeometry().topLeft(), QPoint(229, 109));
}

TEST_F(WindowLayout, PortAndSettingsWindowsAreCentredOverTheMainWindow) {
  for (int number : {kPortWindow, kSettingsWindow}) {
    SCOPED_TRACE(number);
    toolkit.ReleaseAll();
    const QWidget* window = OpenAsProgramDoes(number);
    const QWidget* main = toolkit.Window(kMainWindow);
    ASSERT_NE(window, nullptr);
    ASSERT_NE(main, nullptr);
    const QPoint offset = window->frameGeometry().center() - main->frameGeometry().center();
    EXPECT_LE(offset.manhattanLength(), 2) << offset.x() << "," << offset.y();
  }
}

TEST_F(WindowLayout, CentredOverWhicheverPlaceTheMainWindowHas) {
  StartUp(program);
  toolkit.Window(kMainWindow)->move(10, 20);
  Settle();
  OpenPortWindow(program);
  const QWidget* port = toolkit.Window(kPortWindow);
  ASSERT_NE(port, nullptr);
  const QPoint expected(10 + (492 - 258) / 2, 20 + (183 - 90) / 2);
  EXPECT_EQ(port->frameGeometry().topLeft(), expected);
}

TEST_F(WindowLayout, CentredWindowWithNothingToCentreOverUsesItsOwnPlace) {
  toolkit.OpenWindow(kPortWindow, 288, 280, 258, 90, kPortWindowTitle,
                     kWindowSizable | kWindowCentred);
  EXPECT_EQ(toolkit.Window(kPortWindow)->frameGeometry().topLeft(), QPoint(288, 280));
}

TEST_F(WindowLayout, FixedWindowCannotBeResized) {
  QWidget* settings = OpenAsProgramDoes(kSettingsWindow);
  settings->resize(600, 300);
  EXPECT_EQ(settings->size(), QSize(400, 110));
  QWidget* main = toolkit.Window(kMainWindow);
  main->resize(600, 300);
  EXPECT_EQ(main->size(), QSize(600, 300));
  // Resizing moves nothing inside.
  EXPECT_EQ(toolkit.Control(kStartButton)->geometry(), QRect(10, 100, 200, 30));
}

}  // namespace
}  // namespace trelvin2
