// The console toolkit shows what the main window would: each new status text as a line, the
// progress as a bar redrawn in place on a terminal and as plain lines elsewhere, the message box's
// text on the error stream; and its event wait reports the console's requests as a close.
#include "ui/console/console_toolkit.h"

#include <gtest/gtest.h>

#include <sstream>

#include "tests/cli/virtual_events.h"
#include "ui/windows.h"

namespace trelvin2 {
namespace {

struct Console {
  explicit Console(bool terminal) : events(clock), toolkit(events, out, err, terminal) {}
  VirtualClock clock;
  VirtualEvents events;
  std::ostringstream out, err;
  ConsoleToolkit toolkit;
};

TEST(ConsoleToolkit, StatusTextsAsLinesOnceEach) {
  Console console(false);
  console.toolkit.SetControlText(kStatusLine, "Lösche Modem");
  console.toolkit.SetControlText(kStatusLine, "Lösche Modem");
  console.toolkit.SetControlText(kVersionControl, "Version 3.00");  // no status: not shown
  console.toolkit.SetControlText(kStatusLine, "Fehler beim Programmieren");
  EXPECT_EQ(console.out.str(), "Lösche Modem\nFehler beim Programmieren\n");
  EXPECT_EQ(console.toolkit.GetControlText(kStatusLine), "Fehler beim Programmieren");
}

TEST(ConsoleToolkit, ProgressAsPlainLinesWhenThePercentageChanges) {
  Console console(false);
  for (int value : {4000, 3933, 3867, 0, 0, 34, 571, 1142, 1713, 4000}) {
    console.toolkit.SetControlState(kProgressBar, value);
  }
  EXPECT_EQ(console.out.str(),
            "Fortschritt: 100 %\nFortschritt: 98 %\nFortschritt: 96 %\nFortschritt: 0 %\n"
            "Fortschritt: 14 %\nFortschritt: 28 %\nFortschritt: 42 %\nFortschritt: 100 %\n");
  EXPECT_EQ(console.toolkit.GetControlState(kProgressBar), 4000);
}

TEST(ConsoleToolkit, ProgressAsABarOnATerminalThatStatusLinesDoNotBreak) {
  Console console(true);
  console.toolkit.SetControlState(kProgressBar, 2000);
  console.toolkit.SetControlText(kStatusLine, "Lösche Modem");
  console.toolkit.FinishBar();
  const std::string half = "[" + std::string(25, '#') + std::string(25, '-') + "]  50 %";
  // The bar is cleared, the status line written, and the bar drawn again below it.
  EXPECT_EQ(console.out.str(), "\r" + half + "\r\033[KLösche Modem\n\r" + half + "\n");
}

TEST(ConsoleToolkit, MessageBoxTextOnTheErrorStream) {
  Console console(false);
  console.toolkit.ShowMessageBox("                         E  R  R  O  R",
                                 "Es konnte keine Verbindung zum Loader hergestellt werden!");
  EXPECT_EQ(console.err.str(), "Es konnte keine Verbindung zum Loader hergestellt werden!\n");
  EXPECT_EQ(console.out.str(), "");
}

TEST(ConsoleToolkit, EventWaitLastsItsLimitUntilARequestComes) {
  Console console(false);
  EXPECT_EQ(console.toolkit.WaitEvent(100), kNoEvent);
  EXPECT_EQ(console.clock.NowUs(), 100'000u);
  console.events.RequestAt(ConsoleEvents::Request::kInterrupt, 150'000);
  EXPECT_EQ(console.toolkit.WaitEvent(100), kCloseRequest);
  EXPECT_EQ(console.clock.NowUs(), 150'000u);
  EXPECT_EQ(console.toolkit.WaitEvent(10), kCloseRequest);  // and stays pending
  EXPECT_EQ(console.clock.NowUs(), 150'000u);
}

}  // namespace
}  // namespace trelvin2
