// Bytes the tool did not ask for: a stray byte after an acknowledgement fails the next reply,
// while the connect step counts its reply only at the end of each wait and drops what it did
// not expect, so split, late and noisy replies still lead to a connection.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/scenario/scenario_setup.h"
#include "tests/support/program_harness.h"

namespace trelvin2 {
namespace {

TEST(StrayBytes, AByteAfterTheAddressAckFailsTheEraseAtC) {
  ProgramHarness harness(ScenarioOf({"extra:A#1=x"}));
  EXPECT_EQ(harness.Run(), 0);
  EXPECT_EQ(harness.SentBytes(), ToolBytesThrough(1, kEraseExchange));
  const auto texts = harness.StatusTexts();
  ASSERT_GE(texts.size(), 2u);
  EXPECT_EQ(texts[texts.size() - 2], "Fehler beim Löschen des Modems");
  EXPECT_EQ(texts.back(), "Fehler beim Löschen der Schnittstellen Daten");
  EXPECT_EQ(harness.MainWindowAtEnd().progress.back(), 34);
  EXPECT_TRUE(harness.idle_after_update_us.has_value());
}

struct LateConnectCase {
  const char* name;
  std::vector<std::string> faults;
  std::uint64_t start_press_ms;
  int attempts;  // "D"s until the one whose reply is recognised
};
void PrintTo(const LateConnectCase& c, std::ostream* os) { *os << c.name; }

class ConnectReplyTiming : public ::testing::TestWithParam<LateConnectCase> {};

TEST_P(ConnectReplyTiming, ConnectsOnTheAttemptThatFindsExactlyTheReply) {
  const LateConnectCase& c = GetParam();
  OperatorScript script;
  script.start_press_ms = c.start_press_ms;
  ProgramHarness harness(ScenarioOf(c.faults), script);
  EXPECT_EQ(harness.Run(), 0);
  EXPECT_EQ(harness.SentBytes(), ToolBytesThrough(c.attempts, kStartExchange));
  ASSERT_TRUE(harness.device.Firmware().has_value());
  EXPECT_TRUE(harness.device.Firmware()->usable);
  EXPECT_TRUE(harness.device.Violations().empty()) << harness.device.Violations().front().text;
  // One step down per attempt, then 0 when the connect phase ends.
  const std::vector<int> countdown = {4000, 3933, 3867, 3800, 3733};
  std::vector<int> expected(countdown.begin(), countdown.begin() + c.attempts + 1);
  expected.push_back(0);
  const auto progress = harness.MainWindowAtEnd().progress;
  ASSERT_GE(progress.size(), expected.size());
  EXPECT_EQ(
      std::vector<int>(progress.begin(), progress.begin() + static_cast<long>(expected.size())),
      expected);
  EXPECT_EQ(harness.StatusTexts().back(), "Update der Schnittstelle erfogreich beendet");
}

INSTANTIATE_TEST_SUITE_P(Cases, ConnectReplyTiming,
                         ::testing::Values(
                             // "LD", "=S", "B" 300 ms apart: all there when the wait ends
                             LateConnectCase{"SplitWithinTheWait", {"split:D#1=2@300"}, 0, 1},
                             // the first reply lands in the second attempt's wait together with the
                             // second reply: ten bytes, discarded; the third attempt finds five
                             LateConnectCase{"LateIntoTheNextAttempt", {"late:D#1=1500"}, 0, 3},
                             // the device's UART woke up with garbage before the tool pressed on:
                             // counted with the first reply, discarded with it
                             LateConnectCase{"ResetNoise", {"noise=\\x00\\xFF\\xFE"}, 500, 2}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(StrayBytes, SplitReplyReallyStraddlesTheWait) {
  ProgramHarness harness(ScenarioOf({"split:D#1=2@300"}));
  harness.Run();
  const auto transcript = harness.device.Transcript();
  const auto first_d = std::find_if(transcript.begin(), transcript.end(), [](const auto& b) {
    return b.direction == sim::Direction::kToDevice;
  });
  const auto last_piece = std::find_if(transcript.begin(), transcript.end(), [](const auto& b) {
    return b.direction == sim::Direction::kFromDevice && b.value == 'B';
  });
  ASSERT_NE(first_d, transcript.end());
  ASSERT_NE(last_piece, transcript.end());
  EXPECT_GT(last_piece->time_us - first_d->time_us, 600 * kUsPerMs);
}

}  // namespace
}  // namespace trelvin2
