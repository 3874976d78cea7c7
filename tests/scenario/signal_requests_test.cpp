// SIGTERM, SIGINT or SIGHUP as the toolkit reports them: a close request of no window that stays.
// Wherever the program waits for the operator it ends at once, with nothing more sent; during
// the erase and the programming nothing waits, so the update runs to its end first and the
// device is never left half-written; the success message's 3 s are cut short.
#include <gtest/gtest.h>

#include <functional>

#include "tests/scenario/scenario_setup.h"
#include "tests/support/program_harness.h"
#include "ui/windows.h"

namespace trelvin2 {
namespace {

constexpr const char* kSuccessText = "Update der Schnittstelle erfogreich beendet";

// The moments of an undisturbed run of the same scenario, to aim a signal at.
struct Timeline {
  std::uint64_t erase_shown_us = 0;
  std::uint64_t end_us = 0;  // the success message, or the failure's message
};

Timeline TimelineOf(const std::vector<std::string>& faults, const std::string& end_text) {
  ProgramHarness reference(ScenarioOf(faults));
  reference.Run();
  return {reference.StatusShownUs("Lösche Modem").value_or(0),
          reference.StatusShownUs(end_text).value_or(0)};
}

struct WaitCase {
  const char* name;
  std::vector<std::string> faults;
  OperatorScript script;
  std::uint64_t signal_ms;  // 0: when the settings window waits (see below)
  std::string sent;
};
void PrintTo(const WaitCase& c, std::ostream* os) { *os << c.name; }

class SignalWhileWaiting : public ::testing::TestWithParam<WaitCase> {};

TEST_P(SignalWhileWaiting, EndsAtThatMomentWithNothingMoreSent) {
  const WaitCase& c = GetParam();
  ProgramHarness harness(ScenarioOf(c.faults), c.script);
  std::uint64_t signal_us = c.signal_ms * kUsPerMs;
  if (c.signal_ms == 0) {
    harness.on_wait = [&signal_us](ProgramHarness& h) {
      if (h.toolkit.FindWindow(kSettingsWindow) != nullptr && signal_us == 0) {
        signal_us = h.clock.NowUs();
        h.toolkit.SignalAt(signal_us / kUsPerMs);
      }
    };
  } else {
    harness.toolkit.SignalAt(c.signal_ms);
  }
  EXPECT_EQ(harness.Run(), 0);
  EXPECT_TRUE(harness.toolkit.released);
  EXPECT_FALSE(harness.toolkit.script_ran_dry);
  EXPECT_EQ(harness.ended_us, signal_us) << "virtual time: not a microsecond later";
  EXPECT_EQ(harness.SentBytes(), c.sent);
  EXPECT_TRUE(harness.toolkit.message_boxes.empty());
  EXPECT_EQ(harness.toolkit.EventWindow(), -1) << "a close request of no window";
}

INSTANTIATE_TEST_SUITE_P(
    Waits, SignalWhileWaiting,
    ::testing::Values(WaitCase{"PortWindow", {}, {}, 0, ""},
                      WaitCase{"SettingsWindow", {}, {}, 0, ""},
                      WaitCase{"MainLoop", {}, {.start_press_ms = 5000}, 2000, ""},
                      // The connect wait of a device that does not answer: three "D"s by 2.5 s.
                      WaitCase{"ConnectWait", {"silence"}, {}, 2500, "DDD"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SignalInThePortWindow, OpensNoPort) {
  ProgramHarness harness;
  harness.toolkit.SignalAt(0);
  harness.Run();
  EXPECT_EQ(harness.program.working_port, 0);
  EXPECT_EQ(harness.toolkit.windows_opened, (std::vector<int>{kMainWindow, kPortWindow}));
}

TEST(SignalDuringEraseAndProgramming, WaitsForTheWholeUpdateThenEndsWithoutTheThreeSeconds) {
  const Timeline undisturbed = TimelineOf({}, kSuccessText);
  ASSERT_GT(undisturbed.end_us, undisturbed.erase_shown_us);
  ProgramHarness harness;
  // Between "Lösche Modem" and the success message: in the middle of the blocks.
  harness.toolkit.SignalAt((undisturbed.erase_shown_us + undisturbed.end_us) / 2 / kUsPerMs);
  EXPECT_EQ(harness.Run(), 0);

  EXPECT_EQ(LineRuns(harness.device.Transcript()), SuccessfulUpdateRuns(8, 0));
  ASSERT_TRUE(harness.device.Firmware().has_value());
  EXPECT_TRUE(harness.device.Firmware()->usable);
  EXPECT_TRUE(harness.device.Violations().empty());
  EXPECT_EQ(harness.StatusTexts().back(), kSuccessText);
  EXPECT_EQ(harness.StatusShownUs(kSuccessText), undisturbed.end_us);
  EXPECT_EQ(harness.ended_us, undisturbed.end_us) << "the success message's wait ends at once";
}

TEST(SignalDuringTheSuccessMessage, EndsItAtOnce) {
  const Timeline undisturbed = TimelineOf({}, kSuccessText);
  ProgramHarness harness;
  const std::uint64_t signal_ms = undisturbed.end_us / kUsPerMs + 1000;
  harness.toolkit.SignalAt(signal_ms);
  harness.Run();
  EXPECT_EQ(LineRuns(harness.device.Transcript()), SuccessfulUpdateRuns(8, 0));
  EXPECT_EQ(harness.ended_us, signal_ms * kUsPerMs);
  EXPECT_LT(harness.ended_us, undisturbed.end_us + 3000 * kUsPerMs);
}

TEST(SignalDuringARefusedErase, EndsWhenTheSequenceHasShownItsError) {
  const std::vector<std::string> faults{"reply:C=C?"};
  const char* error_text = "Fehler beim Löschen der Schnittstellen Daten";
  const Timeline undisturbed = TimelineOf(faults, error_text);
  ASSERT_GT(undisturbed.end_us, undisturbed.erase_shown_us);
  ProgramHarness harness(ScenarioOf(faults));
  harness.toolkit.SignalAt((undisturbed.erase_shown_us + undisturbed.end_us) / 2 / kUsPerMs);
  harness.Run();
  EXPECT_EQ(harness.SentBytes(), ToolBytesThrough(1, kEraseExchange));
  EXPECT_EQ(harness.StatusTexts().back(), error_text);
  EXPECT_EQ(harness.ended_us, undisturbed.end_us) << "the main loop's first wait ends it";
}

}  // namespace
}  // namespace trelvin2
