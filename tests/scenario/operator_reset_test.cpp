// The usual bench case: the operator presses start and resets the device about 2 s after the
// tool's first call. The attempts before the reset go unanswered; the first after it connects,
// and the security code follows at the end of that attempt's wait.
#include <gtest/gtest.h>

#include <algorithm>

#include "build_constants.h"
#include "tests/scenario/scenario_setup.h"
#include "tests/support/program_harness.h"

namespace trelvin2 {
namespace {

// Attempts begin about 1.1 s apart, so the third "D" is the first after a reset at 2 s.
constexpr int kAttemptsUntilAnswered = 3;

TEST(OperatorReset, TwoSecondsAfterTheFirstCallConnectsOnTheThirdAttempt) {
  ProgramHarness harness(ScenarioOf({}, ResetAfterFirstCall(2000)));
  EXPECT_EQ(harness.Run(), 0);
  EXPECT_EQ(harness.SentBytes(), ToolBytesThrough(kAttemptsUntilAnswered, kStartExchange));
  ASSERT_TRUE(harness.device.Firmware().has_value());
  EXPECT_TRUE(harness.device.Firmware()->usable);
  EXPECT_TRUE(harness.device.Violations().empty()) << harness.device.Violations().front().text;
  EXPECT_EQ(harness.MainWindowAtEnd().progress,
            (std::vector<int>{4000, 3933, 3867, 3800, 0, 0, 34, 0, 571, 1142, 1713, 4000}));

  // One "LD=SB", after the answered "D"; the code goes out when that attempt's wait ends
  // (a little over 1000 ms), after the 10 ms that draw the security-code text.
  const auto transcript = harness.device.Transcript();
  const auto runs = LineRuns(transcript);
  EXPECT_EQ(std::count(runs.begin(), runs.end(), "<LD=SB"), 1);
  const auto times = harness.SentTimesUs();
  ASSERT_GT(times.size(), 3u);
  const std::uint64_t answered_d_us = times[kAttemptsUntilAnswered - 1];
  const std::uint64_t first_code_us = times[kAttemptsUntilAnswered];
  EXPECT_EQ(harness.SentBytes()[kAttemptsUntilAnswered], static_cast<char>(kSecurityCode[0]));
  EXPECT_GT(first_code_us - answered_d_us, 1000 * kUsPerMs);
  EXPECT_LE(first_code_us - answered_d_us, (1100 + 10 + 1) * kUsPerMs);
}

}  // namespace
}  // namespace trelvin2
