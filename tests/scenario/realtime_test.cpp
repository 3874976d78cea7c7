// One update in real time: the program on the POSIX serial link and the system clock, against
// trelvin2-sim on a pseudo-terminal, with the memory toolkit playing the operator.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "app/program_run.h"
#include "serial/port_selection.h"
#include "serial/posix/posix_serial_link.h"
#include "serial/posix/system_clock.h"
#include "tests/support/program_harness.h"
#include "tests/support/sim_child.h"
#include "ui/settings_flow.h"
#include "ui/windows.h"

namespace trelvin2 {
namespace {

using namespace std::chrono_literals;

// A stuck update would otherwise wait for the operator for ever: past the 30-s connect limit and
// the 3-s success message, with room for a busy machine, the window is closed.
constexpr auto kRunLimit = 45s;
constexpr auto kSimEndLimit = 5s;

// The simulator's options besides --reset-now --once: none, or a USB adapter with the FTDI
// default latency timer in front of the device.
class RealTimeUpdate : public testing::TestWithParam<std::vector<std::string>> {};

TEST_P(RealTimeUpdate, OverAPseudoTerminalAgainstTrelvin2Sim) {
  std::vector<std::string> args = {"--reset-now", "--once"};
  args.insert(args.end(), GetParam().begin(), GetParam().end());
  SimChild sim(TRELVIN2_SIM_PROGRAM, args, PtyLink::kAsCom1);
  ASSERT_TRUE(sim.Ready());

  VirtualClock script_clock;  // only for the operator's script
  RecordingToolkit toolkit(script_clock, /*real_time=*/true);
  PosixSerialLink link(sim.DeviceDir(), sim.DeviceDir());
  SystemClock clock;
  Program program(toolkit, link, clock);
  QueueOperatorScript(toolkit, {.rate_position = 5, .framing_position = 0});  // 19200, 8E1
  const auto started = std::chrono::steady_clock::now();
  toolkit.on_wait = [started](MemoryToolkit& tk) {
    if (std::chrono::steady_clock::now() - started > kRunLimit) tk.Close(kMainWindow);
  };

  EXPECT_EQ(RunProgram(program), 0);
  const auto ran = std::chrono::steady_clock::now() - started;
  EXPECT_EQ(toolkit.MainWindow().status, "Update der Schnittstelle erfogreich beendet");
  ASSERT_FALSE(toolkit.MainWindow().progress.empty());
  EXPECT_EQ(toolkit.MainWindow().progress.back(), kProgressMaximum);
  EXPECT_GE(ran, 3s) << "the success message stays 3 s";

  const auto lines = sim.ReadRest(kSimEndLimit);
  const bool started_firmware = std::any_of(lines.begin(), lines.end(), [](const auto& line) {
    return line.starts_with("firmware: 19200 baud 8E1");
  });
  EXPECT_TRUE(started_firmware) << ::testing::PrintToString(lines);
  EXPECT_FALSE(std::any_of(lines.begin(), lines.end(), [](const auto& line) {
    return line.starts_with("violation");
  })) << ::testing::PrintToString(lines);
  EXPECT_EQ(sim.Wait(kSimEndLimit), 0);
}

// Named so that the real-time runs stay apart from the virtual-time ones (label pty).
INSTANTIATE_TEST_SUITE_P(RealTime, RealTimeUpdate,
                         testing::Values(std::vector<std::string>{},
                                         std::vector<std::string>{"--latency", "16"}));

// A production line: the tool started three times against one simulator serving three units,
// each reset by the operator a little after the tool started calling it.
TEST(RealTimeProductionLine, ThreeUnitsOneAfterAnother) {
  SimChild sim(TRELVIN2_SIM_PROGRAM, {"--devices", "3", "--reset-after", "300"}, PtyLink::kAsCom1);
  ASSERT_TRUE(sim.Ready());
  struct Unit {
    OperatorScript script;
    const char* firmware_line;
  };
  const Unit units[] = {
      {{.rate_position = 5, .framing_position = 0}, "firmware 1: 19200 baud 8E1"},
      {{.rate_position = 8, .framing_position = 2}, "firmware 2: 115200 baud 8N1"},
      {{.rate_position = 0, .framing_position = 1}, "firmware 3: 300 baud 8O1"}};
  for (const Unit& unit : units) {
    VirtualClock script_clock;
    RecordingToolkit toolkit(script_clock, /*real_time=*/true);
    PosixSerialLink link(sim.DeviceDir(), sim.DeviceDir());
    SystemClock clock;
    Program program(toolkit, link, clock);
    QueueOperatorScript(toolkit, unit.script);
    const auto started = std::chrono::steady_clock::now();
    toolkit.on_wait = [started](MemoryToolkit& tk) {
      if (std::chrono::steady_clock::now() - started > kRunLimit) tk.Close(kMainWindow);
    };
    EXPECT_EQ(RunProgram(program), 0);
    EXPECT_EQ(toolkit.MainWindow().status, "Update der Schnittstelle erfogreich beendet");
    std::optional<std::string> line;
    do {
      line = sim.ReadLine(std::chrono::duration_cast<std::chrono::milliseconds>(kSimEndLimit));
    } while (line && !line->starts_with("firmware"));
    ASSERT_TRUE(line.has_value()) << sim.Printed();
    EXPECT_TRUE(line->starts_with(unit.firmware_line)) << *line;
  }
  EXPECT_EQ(sim.Wait(kSimEndLimit), 0) << sim.Printed();
  EXPECT_EQ(sim.Printed().find("violation"), std::string::npos) << sim.Printed();
}

}  // namespace
}  // namespace trelvin2
