// The operator closes the main window in the middle of an update. In the connect wait that ends
// the program at once, with nothing more sent and no message; in the short wait that draws the
// security-code text the close is consumed and the update goes on.
#include <gtest/gtest.h>

#include "tests/scenario/scenario_setup.h"
#include "tests/support/program_harness.h"
#include "ui/windows.h"

namespace trelvin2 {
namespace {

struct CloseCase {
  const char* name;
  std::vector<std::string> faults;
  std::uint64_t close_ms;
  std::string sent;  // the "D"s of the attempts begun before the close
  std::vector<int> progress;
};
void PrintTo(const CloseCase& c, std::ostream* os) { *os << c.name; }

class CloseDuringConnectWait : public ::testing::TestWithParam<CloseCase> {};

TEST_P(CloseDuringConnectWait, EndsAtOnceWithNothingMoreSent) {
  const CloseCase& c = GetParam();
  ProgramHarness harness(ScenarioOf(c.faults));
  harness.toolkit.CloseAt(c.close_ms, kMainWindow);
  EXPECT_EQ(harness.Run(), 0);
  EXPECT_TRUE(harness.toolkit.released);
  EXPECT_EQ(harness.SentBytes(), c.sent);
  EXPECT_TRUE(harness.toolkit.message_boxes.empty());
  EXPECT_FALSE(harness.idle_after_update_us.has_value());
  // Ends within the one 100-ms event wait in which the close came.
  EXPECT_GE(harness.ended_us, c.close_ms * kUsPerMs);
  EXPECT_LT(harness.ended_us, (c.close_ms + 100) * kUsPerMs);
  const auto window = harness.MainWindowAtEnd();
  EXPECT_EQ(window.status, "Reset oder Neustart am Trelvin 2 durchführen");
  EXPECT_EQ(window.progress, c.progress);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CloseDuringConnectWait,
    ::testing::Values(CloseCase{"SilentDevice", {"silence"}, 2500, "DDD", {4000, 3933, 3867}},
                      // "LD=SB" is already waiting, but the code never goes out
                      CloseCase{"LoaderHasAnswered", {}, 500, "D", {4000}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CloseDuringSecurityCodeDraw, IsConsumedAndTheUpdateGoesOn) {
  ProgramHarness harness;
  bool closed = false;
  harness.on_wait = [&closed](ProgramHarness& h) {
    // The connect step's one 10-ms wait, right after "Sicherheits-Code wird übertragen".
    if (!closed && h.toolkit.wait_limits.back() == 10) {
      EXPECT_EQ(h.toolkit.status_texts.back(), "Sicherheits-Code wird übertragen");
      h.toolkit.Close(kMainWindow);
      closed = true;
    }
  };
  EXPECT_EQ(harness.Run(), 0);
  EXPECT_TRUE(closed);
  EXPECT_EQ(harness.SentBytes(), ToolBytesThrough(1, kStartExchange));
  ASSERT_TRUE(harness.device.Firmware().has_value());
  EXPECT_TRUE(harness.device.Firmware()->usable);
  EXPECT_EQ(harness.StatusTexts().back(), "Update der Schnittstelle erfogreich beendet");
}

}  // namespace
}  // namespace trelvin2
