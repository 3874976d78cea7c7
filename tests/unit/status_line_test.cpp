#include "app/status_line.h"

#include <gtest/gtest.h>

#include "tests/unit/main_window_bench.h"
#include "ui/windows.h"

namespace trelvin2 {
namespace {

class StatusLineTest : public ::testing::Test, protected MainWindowBench {
 protected:
  const MemoryToolkit::Control& Line() { return *toolkit.FindControl(kStatusLine); }
};

TEST_F(StatusLineTest, StartsWithDefaultColoursAndTurnsGreyWithTheFirstMessage) {
  EXPECT_FALSE(Line().background_colour.has_value());
  ShowStatus(program, "Lösche Modem");
  EXPECT_EQ(Line().text, "Lösche Modem");
  EXPECT_EQ(Line().background_colour, kStatusGrey);
  EXPECT_FALSE(Line().text_colour.has_value());
  ShowStatus(program, "");
  EXPECT_EQ(Line().text, "");
  EXPECT_EQ(Line().background_colour, kStatusGrey);
}

TEST_F(StatusLineTest, RedStaysForEveryTextAfterTheFirstError) {
  ReportError(program, "Fehler beim Programmieren");
  EXPECT_EQ(Line().text_colour, 0x0000FFu);
  EXPECT_EQ(Line().background_colour, 0xCFCFCFu);
  ShowStatus(program, "Sicherheits-Code OK");
  EXPECT_EQ(Line().text, "Sicherheits-Code OK");
  EXPECT_EQ(Line().text_colour, 0x0000FFu);
}

TEST_F(StatusLineTest, WithoutTheMainWindowNothingHappens) {
  toolkit.CloseWindow(0);
  ShowStatus(program, "x");
  ReportError(program, "y");
  EXPECT_EQ(toolkit.FindControl(kStatusLine), nullptr);
}

}  // namespace
}  // namespace trelvin2
