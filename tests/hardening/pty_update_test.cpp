// The whole program in real time over a pseudo-terminal against trelvin2-sim: the cable pulled
// at a few bytes (the sim closes its side as a pulled USB adapter vanishes), and a port that
// vanishes between discovery and "OK" and comes back for a working retry.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <regex>

#include "app/program_run.h"
#include "serial/port_selection.h"
#include "serial/posix/posix_serial_link.h"
#include "serial/posix/system_clock.h"
#include "tests/fuzz/whole_program_run.h"
#include "tests/support/sim_child.h"
#include "ui/windows.h"

namespace trelvin2 {
namespace {

// The sim ends by itself at a cut or once the firmware started; beyond this it is stopped.
constexpr auto kSimEndLimit = std::chrono::seconds(10);

// The sim's arguments with its byte transcript on: the checks read the wire from it.
std::vector<std::string> WithTranscript(std::vector<std::string> args) {
  args.insert(args.begin(), "--transcript");
  return args;
}

// Everything the sim printed, once it ended (stopped after kSimEndLimit).
std::string AllOutput(SimChild& sim) {
  sim.ReadRest(kSimEndLimit);
  sim.Stop();
  return sim.Printed();
}

// The sim's transcript lines: "      1043521 us  tool -> device  44 'D'".
std::vector<sim::LineByte> Transcript(const std::string& output) {
  static const std::regex line(R"(^\s*(\d+) us  (tool -> device|device -> tool)  ([0-9A-F]{2}))");
  std::vector<sim::LineByte> bytes;
  std::istringstream in(output);
  for (std::string text; std::getline(in, text);) {
    std::smatch m;
    if (!std::regex_search(text, m, line)) continue;
    bytes.push_back(
        {std::stoull(m[1]),
         m[2] == "tool -> device" ? sim::Direction::kToDevice : sim::Direction::kFromDevice,
         static_cast<std::uint8_t>(std::stoul(m[3], nullptr, 16))});
  }
  return bytes;
}

struct PtyRun {
  WireRecord wire;
  ToolOutcome outcome;
  std::string sim_output;
};

// The program on the system clock against the sim; the toolkit's own virtual clock only paces
// the operator's script. A pty is stamped as the sim reads it, so no line delay.
PtyRun RunAgainstSim(std::vector<std::string> sim_args) {
  SimChild sim(TRELVIN2_SIM_PROGRAM, WithTranscript(std::move(sim_args)), PtyLink::kAsCom1);
  PtyRun run;
  if (!sim.Ready()) {
    ADD_FAILURE() << "trelvin2-sim did not start: " << AllOutput(sim);
    return run;
  }
  VirtualClock script_clock;
  MemoryToolkit toolkit(script_clock);
  PosixSerialLink link(sim.DeviceDir(), sim.DeviceDir());
  SystemClock clock;
  Program program(toolkit, link, clock);
  Operator person(
      toolkit, [&clock] { return std::uint64_t{clock.TickMs()} * 1000; }, 0);
  run.outcome = person.Outcome(RunProgram(program));
  run.outcome.close_request_us.reset();  // on the tool's time line, not the sim's
  run.sim_output = AllOutput(sim);
  run.wire = {Transcript(run.sim_output), 0};
  return run;
}

struct PtyCutCase {
  int cut;
  const char* status;
};
void PrintTo(const PtyCutCase& c, std::ostream* os) { *os << "cut=" << c.cut; }

class PtyCablePull : public testing::TestWithParam<PtyCutCase> {};

TEST_P(PtyCablePull, EndsWithThePhasesMessageAndStatusZero) {
  const PtyRun run =
      RunAgainstSim({"--reset-now", "--fault", "cut=" + std::to_string(GetParam().cut)});
  EXPECT_EQ(JoinViolations(CheckUpdate(run.wire, run.outcome)), "") << run.sim_output;
  EXPECT_EQ(run.outcome.final_status, GetParam().status);
  EXPECT_EQ(run.outcome.exit_status, 0);
  EXPECT_NE(run.sim_output.find("link cut after byte " + std::to_string(GetParam().cut)),
            std::string::npos)
      << run.sim_output;
}

// One cut in each phase after the connect; a cut at the "D" costs the 30 s connect limit, which
// the simulated sweep covers.
INSTANTIATE_TEST_SUITE_P(Cuts, PtyCablePull,
                         testing::Values(PtyCutCase{3, kNoLoaderText},
                                         PtyCutCase{6, kEraseFailedText},
                                         PtyCutCase{23, kUpdateFailedText},
                                         PtyCutCase{51, kUpdateFailedText}));

TEST(PtyUpdate, WithoutACutTheFirmwareStarts) {
  const PtyRun run = RunAgainstSim({"--reset-now", "--once"});
  EXPECT_EQ(JoinViolations(CheckUpdate(run.wire, run.outcome)), "") << run.sim_output;
  EXPECT_EQ(run.outcome.final_status, kSuccessText);
  EXPECT_NE(run.sim_output.find("firmware: 115200 baud 8N1"), std::string::npos) << run.sim_output;
}

TEST(VanishedPort, BetweenDiscoveryAndOkGivesTheOpenFailureAndARetryWorks) {
  SimChild sim(TRELVIN2_SIM_PROGRAM, WithTranscript({"--reset-now"}), PtyLink::kAsCom1);
  const std::string pty = sim.Ready() ? sim.PtyPath() : "";
  ASSERT_FALSE(pty.empty()) << AllOutput(sim);

  VirtualClock script_clock;
  MemoryToolkit toolkit(script_clock);
  PosixSerialLink link(sim.DeviceDir(), sim.DeviceDir());
  SystemClock clock;
  Program program(toolkit, link, clock);
  // Discovery has listed com1 when the port window first waits: the adapter is pulled then,
  // and plugged in again once the tool has said it cannot open it.
  bool pulled = false, replugged = false;
  toolkit.on_wait = [&](MemoryToolkit& tk) {
    if (!pulled && tk.FindWindow(kPortWindow) != nullptr) {
      EXPECT_EQ(tk.Text(kPortList), "com1");
      std::filesystem::remove(sim.LinkPath());
      tk.Click(kPortOkButton);
      pulled = true;
    } else if (pulled && !replugged && tk.Text(kPortMessageControl) == kOpenFailedMessage) {
      std::filesystem::create_symlink(pty, sim.LinkPath());
      tk.Click(kPortOkButton);
      replugged = true;
    }
  };
  ASSERT_TRUE(PortSelection(program));
  EXPECT_TRUE(replugged);
  EXPECT_NE(program.working_port, 0);
  // The retried port is the device: it answers a connect command.
  const std::uint8_t connect = 'D';
  EXPECT_EQ(link.SerialWrite(program.working_port, &connect, 1), 1);
  std::uint8_t reply[5] = {};
  EXPECT_NE(link.SerialRead(program.working_port, reply, 5), 0);
  EXPECT_EQ(std::string(reply, reply + 5), "LD=SB");
}

}  // namespace
}  // namespace trelvin2
