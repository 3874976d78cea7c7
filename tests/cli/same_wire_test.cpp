// The command-line program runs the desktop tool's update: for the same choice and the same
// device, the bytes on the line in both directions and the moments the tool sends them (counted
// from its first "D") are identical.
#include <gtest/gtest.h>

#include <optional>

#include "tests/cli/cli_fixture.h"
#include "tests/scenario/scenario_setup.h"
#include "tests/support/program_harness.h"

namespace trelvin2 {
namespace {

struct WireRow {
  const char* name;
  const char* rate;
  const char* framing;
  int rate_position;     // in the settings window's rate list
  int framing_position;  // in "8E1", "8O1", "8N1"
  std::vector<std::string> faults;
};
void PrintTo(const WireRow& row, std::ostream* os) { *os << row.name; }

// Each byte as direction and value; the tool's bytes also with their time from its first byte.
// The two tools take different times to reach their first "D" (the desktop tool probes the ports
// first), so the device's own bytes (noise at its reset) keep no time.
std::vector<std::string> Wire(const std::vector<sim::LineByte>& transcript) {
  std::optional<std::uint64_t> first_us;
  std::vector<std::string> wire;
  for (const auto& byte : transcript) {
    const bool from_tool = byte.direction == sim::Direction::kToDevice;
    if (from_tool && !first_us) first_us = byte.time_us;
    // Appended piece by piece: GCC 12 at -O3 wrongly warns of a memcpy overlap in "@" + string.
    std::string entry(from_tool ? ">" : "<");
    entry.append(std::to_string(byte.value));
    if (from_tool) entry.append("@").append(std::to_string(byte.time_us - *first_us));
    wire.push_back(entry);
  }
  return wire;
}

class SameWire : public ::testing::TestWithParam<WireRow> {};

TEST_P(SameWire, AsTheDesktopTool) {
  const WireRow& row = GetParam();
  OperatorScript script;
  script.rate_position = row.rate_position;
  script.framing_position = row.framing_position;
  ProgramHarness desktop(ScenarioOf(row.faults), script);
  desktop.Run();

  CliBench cli(1, [&](int) { return ScenarioOf(row.faults); });
  cli.Run({"--port", "com1", "--baud", row.rate, "--framing", row.framing});

  const auto desktop_wire = Wire(desktop.device.Transcript());
  ASSERT_FALSE(desktop_wire.empty());
  EXPECT_EQ(Wire(cli.line.Unit().Transcript()), desktop_wire);
}

// clang-format off
const WireRow kRows[] = {
  {"Default115200_8N1", "115200", "8N1", 8, 2, {}},
  {"Rate19200_8E1",     "19200",  "8E1", 5, 0, {}},
  {"Rate300_8O1",       "300",    "8O1", 0, 1, {}},
  {"NoiseAtReset",      "9600",   "8N1", 4, 2, {"noise=\\x00\\xff"}},
  {"CodeRefused",       "9600",   "8N1", 4, 2, {"wrong:code"}},
  {"WriteRefused",      "9600",   "8E1", 4, 0, {"reply:W#2=W?"}},
  {"SilentLoader",      "9600",   "8N1", 4, 2, {"silence"}},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Rows, SameWire, ::testing::ValuesIn(kRows),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace trelvin2
