// The whole update through a USB-serial adapter whose latency timer holds the device's replies:
// it succeeds at the FTDI default of 16 ms wherever the timer stands, and fails, with the
// message of the step whose reply came too late, once the timer runs out after the tool has
// stopped waiting: about 52 ms after the third security-code byte, about 130 ms after a command.
#include <gtest/gtest.h>

#include "tests/scenario/scenario_setup.h"
#include "tests/support/program_harness.h"

namespace trelvin2 {
namespace {

constexpr const char* kSuccess = "Update der Schnittstelle erfogreich beendet";
constexpr const char* kNoAnswer = "Der Loader amtwortet nicht";
constexpr const char* kEraseFailed = "Fehler beim Löschen der Schnittstellen Daten";
constexpr std::size_t kThirdCodeByte = 3;  // after the one "D" the loader answers at once

// When the third security-code byte reaches the device. The tool's timing up to there does not
// depend on how late the connect reply comes (it is counted at the end of a 1-s wait).
std::uint64_t ThirdCodeByteUs() {
  ProgramHarness plain;
  plain.Run();
  return plain.SentTimesUs().at(kThirdCodeByte);
}

struct LatencyRow {
  const char* name;
  int latency_ms;
  std::int64_t timer_after_code_us;  // the timer runs out this long after the third code byte
  const char* final_status;
};
void PrintTo(const LatencyRow& row, std::ostream* os) { *os << row.name; }

class AdapterLatency : public testing::TestWithParam<LatencyRow> {};

TEST_P(AdapterLatency, UpdateSucceedsOrFailsWhereTheRepliesComeTooLate) {
  const LatencyRow& row = GetParam();
  sim::Scenario scenario;
  const std::uint64_t period_us = static_cast<std::uint64_t>(row.latency_ms) * kUsPerMs;
  scenario.adapter = {row.latency_ms,
                      static_cast<std::uint64_t>(static_cast<std::int64_t>(ThirdCodeByteUs()) +
                                                 row.timer_after_code_us) %
                          period_us};
  ProgramHarness harness(scenario);
  EXPECT_EQ(harness.Run(), 0);
  EXPECT_FALSE(harness.gave_up);
  EXPECT_EQ(harness.MainWindowAtEnd().status, row.final_status);
  EXPECT_EQ(harness.device.Firmware().has_value(), row.final_status == kSuccess);
  EXPECT_TRUE(harness.device.Violations().empty()) << harness.device.Violations().front().text;
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Adapter, AdapterLatency, testing::Values(
  LatencyRow{"LowLatency",                  1,   500,    kSuccess},
  // The acknowledgements have ~130 ms: even 120 ms of latency leaves each of them in time.
  LatencyRow{"SlowTimerInTimeForTheCode", 120, 40'000, kSuccess},
  // The security answer is counted once, 52 ms after the third code byte.
  LatencyRow{"SecurityAnswerJustInTime",   60, 48'000, kSuccess},
  LatencyRow{"SecurityAnswerTooLate",      60, 56'000, kNoAnswer},
  // In time for the code, but then the erase address waits ~190 ms for its "A!".
  LatencyRow{"AcknowledgementTooLate",    200, 40'000, kEraseFailed}),
  [](const auto& info) { return info.param.name; });
// clang-format on

// At the FTDI default every position of the timer lets the whole update through.
TEST(AdapterLatency, SixteenMillisecondsWhereverTheTimerStands) {
  constexpr int kLatencyMs = 16;
  for (std::uint64_t phase_ms = 0; phase_ms < kLatencyMs; ++phase_ms) {
    sim::Scenario scenario;
    scenario.adapter = {kLatencyMs, phase_ms * kUsPerMs};
    ProgramHarness harness(scenario);
    EXPECT_EQ(harness.Run(), 0);
    EXPECT_EQ(harness.MainWindowAtEnd().status, kSuccess) << "timer at " << phase_ms << " ms";
    ASSERT_TRUE(harness.device.Firmware().has_value());
    EXPECT_TRUE(harness.device.Firmware()->usable);
  }
}

}  // namespace
}  // namespace trelvin2
