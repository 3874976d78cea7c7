// The whole program in real time over a pseudo-terminal against trelvin2-sim: the cable pulled
// at a few bytes (the sim closes its side as a pulled USB adapter vanishes), and a port that
// vanishes between discovery and "OK" and comes back for a working retry.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <regex>
#include <thread>

#include "app/program_run.h"
#include "serial/port_selection.h"
#include "serial/posix_serial_link.h"
#include "serial/system_clock.h"
#include "tests/fuzz/whole_program_run.h"
#include "tests/pty/temp_dir.h"
#include "ui/windows.h"

namespace trelvin2 {
namespace {

using Steady = std::chrono::steady_clock;

// Generous for a busy 2-core machine: the sim starts in milliseconds.
constexpr auto kSimStartLimit = std::chrono::seconds(5);
// The sim ends by itself at a cut or once the firmware started; beyond this it is stopped.
constexpr auto kSimEndLimit = std::chrono::seconds(10);

// trelvin2-sim as a child process serving com1 in dir, its output gathered until it ends.
class SimProcess {
 public:
  SimProcess(const TempDir& dir, std::vector<std::string> args) : link_(dir / "com1") {
    int out[2];
    EXPECT_EQ(pipe(out), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    args.insert(args.begin(), {TRELVIN2_SIM_PROGRAM, "--link", link_, "--transcript"});
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    EXPECT_EQ(posix_spawn(&pid_, TRELVIN2_SIM_PROGRAM, &actions, nullptr, argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    out_ = out[0];
    fcntl(out_, F_SETFL, O_NONBLOCK);
  }
  ~SimProcess() {
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      waitpid(pid_, nullptr, 0);
    }
    close(out_);
  }

  // The pty's path, once the sim has linked it as com1; "" when it did not start.
  std::string WaitUntilServing() {
    const auto deadline = Steady::now() + kSimStartLimit;
    while (Steady::now() < deadline) {
      Gather(std::chrono::milliseconds(10));
      const auto end = output_.find('\n');
      if (end != std::string::npos && std::filesystem::is_symlink(link_)) {
        return output_.substr(0, end);
      }
    }
    return "";
  }

  // Everything the sim printed, once it ended (stopped after kSimEndLimit).
  const std::string& Output() {
    const auto deadline = Steady::now() + kSimEndLimit;
    while (pid_ > 0 && Steady::now() < deadline) {
      Gather(std::chrono::milliseconds(10));
      if (waitpid(pid_, nullptr, WNOHANG) == pid_) pid_ = 0;
    }
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      waitpid(pid_, nullptr, 0);
      pid_ = 0;
    }
    Gather(std::chrono::milliseconds(0));
    return output_;
  }

  const std::string& link() const { return link_; }

 private:
  void Gather(std::chrono::milliseconds wait) {
    pollfd p{out_, POLLIN, 0};
    poll(&p, 1, static_cast<int>(wait.count()));
    char chunk[4096];
    for (ssize_t n; (n = read(out_, chunk, sizeof chunk)) > 0;) {
      output_.append(chunk, static_cast<std::size_t>(n));
    }
  }

  std::string link_;
  pid_t pid_ = 0;
  int out_ = -1;
  std::string output_;
};

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
  TempDir dir;
  SimProcess sim(dir, std::move(sim_args));
  PtyRun run;
  if (sim.WaitUntilServing().empty()) {
    ADD_FAILURE() << "trelvin2-sim did not start: " << sim.Output();
    return run;
  }
  VirtualClock script_clock;
  MemoryToolkit toolkit(script_clock);
  PosixSerialLink link(dir.path(), dir.path());
  SystemClock clock;
  Program program(toolkit, link, clock);
  Operator person(
      toolkit, [&clock] { return std::uint64_t{clock.TickMs()} * 1000; }, 0);
  run.outcome = person.Outcome(RunProgram(program));
  run.outcome.close_request_us.reset();  // on the tool's time line, not the sim's
  run.sim_output = sim.Output();
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
  TempDir dir;
  SimProcess sim(dir, {"--reset-now"});
  const std::string pty = sim.WaitUntilServing();
  ASSERT_FALSE(pty.empty()) << sim.Output();

  VirtualClock script_clock;
  MemoryToolkit toolkit(script_clock);
  PosixSerialLink link(dir.path(), dir.path());
  SystemClock clock;
  Program program(toolkit, link, clock);
  // Discovery has listed com1 when the port window first waits: the adapter is pulled then,
  // and plugged in again once the tool has said it cannot open it.
  bool pulled = false, replugged = false;
  toolkit.on_wait = [&](MemoryToolkit& tk) {
    if (!pulled && tk.FindWindow(kPortWindow) != nullptr) {
      EXPECT_EQ(tk.Text(kPortList), "com1");
      std::filesystem::remove(sim.link());
      tk.Click(kPortOkButton);
      pulled = true;
    } else if (pulled && !replugged && tk.Text(kPortMessageControl) == kOpenFailedMessage) {
      std::filesystem::create_symlink(pty, sim.link());
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
