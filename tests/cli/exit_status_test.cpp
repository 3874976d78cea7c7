// Every way one unit's update can end, as one table: the exit status, the result line, and
// whether the device ended up with its new settings. The statuses come from what the update
// recorded, so each failing step has its own.
#include "app/cli/exit_status.h"

#include <gtest/gtest.h>

#include <set>

#include "tests/cli/cli_fixture.h"
#include "tests/scenario/scenario_setup.h"

namespace trelvin2 {
namespace {

struct OutcomeRow {
  const char* name;
  std::vector<std::string> faults;
  bool port_held;
  int status;
  const char* result_line;  // the last line on standard output
};
void PrintTo(const OutcomeRow& row, std::ostream* os) { *os << row.name; }

class ExitStatusTable : public ::testing::TestWithParam<OutcomeRow> {};

TEST_P(ExitStatusTable, OneStatusPerOutcome) {
  const OutcomeRow& row = GetParam();
  CliBench bench(1, [&](int) { return ScenarioOf(row.faults); });
  bench.port_held = row.port_held;

  EXPECT_EQ(bench.Run({"--port", "com1", "--baud", "19200", "--framing", "8E1"}), row.status);

  const auto lines = bench.OutLines();
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back(), row.result_line);
  EXPECT_TRUE(bench.line.violations.empty()) << bench.line.violations.front();
  const auto firmware = bench.line.FirmwareLines();
  if (row.status == kExitSuccess) {
    ASSERT_EQ(firmware.size(), 1u);
    EXPECT_EQ(firmware[0].rfind("firmware: 19200 baud 8E1 ", 0), 0u) << firmware[0];
  } else {
    EXPECT_TRUE(firmware.empty());
  }
}

// clang-format off
const OutcomeRow kRows[] = {
  {"Success",             {},                 false, kExitSuccess,
   "Einheit 1: erfolgreich (19200 Baud 8E1, 1.22 s nach der Reset-Aufforderung)"},
  {"PortHeld",            {},                 true,  kExitPortNotOpened,
   "COM-Port konnte nicht geöffnet werden: com1"},
  {"SilentLoader",        {"silence"},        false, kExitNoLoader,
   "Einheit 1: Loader antwortet nicht (Exit-Status 4)"},
  {"CodeRefused",         {"wrong:code"},     false, kExitCodeRefused,
   "Einheit 1: Sicherheits-Code nicht angenommen (Exit-Status 5)"},
  {"CodeNotAnswered",     {"late:code=100"},  false, kExitCodeRefused,
   "Einheit 1: Sicherheits-Code nicht angenommen (Exit-Status 5)"},
  {"EraseAddressRefused", {"reply:A#1=A?"},   false, kExitEraseRefused,
   "Einheit 1: Löschen abgelehnt (Exit-Status 6)"},
  {"EraseRefused",        {"reply:C=C?"},     false, kExitEraseRefused,
   "Einheit 1: Löschen abgelehnt (Exit-Status 6)"},
  {"FirstBlockRefused",   {"reply:B#1=B?"},   false, kExitProgramRefused,
   "Einheit 1: Programmieren abgelehnt (Exit-Status 7)"},
  {"SecondWriteRefused",  {"reply:W#2=W?"},   false, kExitProgramRefused,
   "Einheit 1: Programmieren abgelehnt (Exit-Status 7)"},
  {"SettingsAddressRefused", {"reply:A#4=A?"}, false, kExitProgramRefused,
   "Einheit 1: Programmieren abgelehnt (Exit-Status 7)"},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Rows, ExitStatusTable, ::testing::ValuesIn(kRows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ExitStatus, InterruptedInTheConnectWait) {
  CliBench bench(1, [](int) { return ScenarioOf({"silence"}); });
  bench.events.RequestAt(ConsoleEvents::Request::kInterrupt, 5'500'000);
  EXPECT_EQ(bench.Run({"--port", "com1"}), kExitInterrupted);
  EXPECT_EQ(bench.OutLines().back(), "Abgebrochen.");
}

TEST(ExitStatus, EveryOutcomeHasItsOwnStatus) {
  const UpdateOutcome outcomes[] = {UpdateOutcome::kSucceeded,      UpdateOutcome::kNoLoader,
                                    UpdateOutcome::kCodeRefused,    UpdateOutcome::kEraseRefused,
                                    UpdateOutcome::kProgramRefused, UpdateOutcome::kInterrupted};
  std::set<int> statuses{kExitUsage, kExitPortNotOpened};
  for (UpdateOutcome outcome : outcomes) {
    EXPECT_TRUE(statuses.insert(ExitStatusOf(outcome)).second) << OutcomeName(outcome);
  }
}

}  // namespace
}  // namespace trelvin2
