// Ctrl-C in each phase of an update. In the connect wait it ends the run at once and nothing more
// goes out; once the loader is unlocked it takes effect only when the update has ended, so no unit
// is left half-written; the exit status says "interrupted" either way.
#include <gtest/gtest.h>

#include "app/cli/exit_status.h"
#include "tests/cli/cli_fixture.h"
#include "tests/scenario/scenario_setup.h"

namespace trelvin2 {
namespace {

using Request = ConsoleEvents::Request;

// The tool's bytes to a device that answers the first "D": "D", three code bytes, the erase's
// "A" + address and "C", three blocks of 14 bytes, "S".
constexpr std::uint64_t kWholeUpdateBytes = 1 + 3 + 4 + 1 + 3 * 14 + 1;

std::string ToolBytes(const sim::DeviceModel& device) {
  std::string bytes;
  for (const auto& byte : device.Transcript()) {
    if (byte.direction == sim::Direction::kToDevice) bytes += static_cast<char>(byte.value);
  }
  return bytes;
}

TEST(Interrupt, InTheConnectWaitEndsAtOnceAndSendsNothingMore) {
  CliBench bench(1, [](int) { return ScenarioOf({"silence"}); });
  constexpr std::uint64_t kRequestUs = 5'550'000;  // in the sixth attempt's wait
  bench.events.RequestAt(Request::kInterrupt, kRequestUs);

  EXPECT_EQ(bench.Run({"--port", "com1"}), kExitInterrupted);

  EXPECT_EQ(bench.clock.NowUs(), kRequestUs);  // no wait ran past the request
  EXPECT_EQ(ToolBytes(bench.line.Unit()), "DDDDDD");
  for (const auto& byte : bench.line.Unit().Transcript()) EXPECT_LT(byte.time_us, kRequestUs);
  // The message box of a loader that never answered does not come.
  EXPECT_EQ(bench.err.str(), "");
}

struct PhaseRow {
  const char* name;
  std::uint64_t after_bytes;  // Ctrl-C once the unit has received this many bytes
};
void PrintTo(const PhaseRow& row, std::ostream* os) { *os << row.name; }

class InterruptOnceUnlocked : public ::testing::TestWithParam<PhaseRow> {};

TEST_P(InterruptOnceUnlocked, TakesEffectWhenTheUpdateHasEnded) {
  CliBench bench;
  bench.line.on_write = [&](std::uint64_t bytes) {
    if (bytes == GetParam().after_bytes) bench.events.RequestNow(Request::kInterrupt);
  };

  EXPECT_EQ(bench.Run({"--port", "com1", "--baud", "9600"}), kExitInterrupted);

  EXPECT_EQ(ToolBytes(bench.line.Unit()).size(), kWholeUpdateBytes);
  ASSERT_EQ(bench.line.FirmwareLines().size(), 1u);
  EXPECT_EQ(bench.line.FirmwareLines()[0].rfind("firmware: 9600 baud 8N1 ", 0), 0u);
  EXPECT_TRUE(bench.line.violations.empty());
  const auto lines = bench.OutLines();
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines[lines.size() - 2].rfind("Einheit 1: erfolgreich", 0), 0u);
  EXPECT_EQ(lines.back(), "Abgebrochen.");
}

// clang-format off
const PhaseRow kPhases[] = {
  {"SecurityCode", 2},   // after the first code byte
  {"Erase",        5},   // after the erase's "A"
  {"Programming",  10},  // after the first block's "B"
  {"StartByte",    kWholeUpdateBytes},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Phases, InterruptOnceUnlocked, ::testing::ValuesIn(kPhases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Interrupt, DuringAFailingStepReportsTheFailureAndEndsInterrupted) {
  CliBench bench(1, [](int) { return ScenarioOf({"reply:W#2=W?"}); });
  bench.line.on_write = [&](std::uint64_t bytes) {
    if (bytes == 10) bench.events.RequestNow(Request::kInterrupt);
  };
  EXPECT_EQ(bench.Run({"--port", "com1"}), kExitInterrupted);
  const auto lines = bench.OutLines();
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines[lines.size() - 2], "Einheit 1: Programmieren abgelehnt (Exit-Status 7)");
}

TEST(Interrupt, InABatchEndsTheWaitForTheNextUnitWithASummary) {
  CliBench bench(0);
  bench.line.on_write = [&](std::uint64_t) {
    if (bench.line.UnitNumber() == 3) bench.events.RequestNow(Request::kInterrupt);
  };
  // Unit 3 never answers: the request comes with its first "D".
  EXPECT_EQ(bench.Run({"--port", "com1", "--repeat"}), kExitInterrupted);
  const auto lines = bench.OutLines();
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines[lines.size() - 2], "Einheiten: 2, davon fehlgeschlagen: 0");
  EXPECT_EQ(lines.back(), "Abgebrochen.");
  EXPECT_EQ(bench.line.FirmwareLines().size(), 2u);
}

}  // namespace
}  // namespace trelvin2
