// trelvin2-sim as a child process, played through its pty by a scripted client that sends what
// the tool sends in a successful update.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>

#include "tests/sim/device_session.h"

namespace trelvin2::sim {
namespace {

using Clock = std::chrono::steady_clock;

// Generous for a busy 2-core machine; a reply on the pty takes a few milliseconds.
constexpr auto kReplyLimit = std::chrono::seconds(2);
constexpr auto kProgramLimit = std::chrono::seconds(10);

// Reads until count bytes came or the limit ran out.
std::string ReadFor(int fd, std::size_t count, Clock::duration limit) {
  std::string bytes;
  const auto deadline = Clock::now() + limit;
  while (bytes.size() < count && Clock::now() < deadline) {
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, 20) <= 0) continue;
    char chunk[256];
    const ssize_t n = read(fd, chunk, std::min(sizeof chunk, count - bytes.size()));
    if (n <= 0) break;
    bytes.append(chunk, static_cast<std::size_t>(n));
  }
  return bytes;
}

std::string ReadLine(int fd, Clock::duration limit) {
  std::string line;
  while (line.empty() || line.back() != '\n') {
    const std::string c = ReadFor(fd, 1, limit);
    if (c.empty()) break;
    line += c;
  }
  if (!line.empty()) line.pop_back();
  return line;
}

class SimProgram {
 public:
  explicit SimProgram(std::vector<std::string> args) {
    int out[2];
    EXPECT_EQ(pipe(out), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    args.insert(args.begin(), TRELVIN2_SIM_PROGRAM);
    std::vector<char*> argv;
    for (auto& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    EXPECT_EQ(posix_spawn(&pid_, TRELVIN2_SIM_PROGRAM, &actions, nullptr, argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    out_ = out[0];
  }
  ~SimProgram() {
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      waitpid(pid_, nullptr, 0);
    }
    close(out_);
  }
  int Output() const { return out_; }
  // The exit status, or -1 when it did not end within the limit.
  int Wait() {
    const auto deadline = Clock::now() + kProgramLimit;
    while (Clock::now() < deadline) {
      int status = 0;
      if (waitpid(pid_, &status, WNOHANG) == pid_) {
        pid_ = 0;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
      }
      usleep(10'000);
    }
    return -1;
  }

 private:
  pid_t pid_ = 0;
  int out_ = -1;
};

struct ProgramCase {
  int baud_code;
  int protocol_code;
  const char* firmware_line_start;
  int exit_status;
};

class SimProgramTest : public testing::TestWithParam<ProgramCase> {};

TEST_P(SimProgramTest, PlaysTheWholeUpdateOverItsPty) {
  SimProgram sim({"--reset-now", "--once"});
  const std::string slave = ReadLine(sim.Output(), kProgramLimit);
  ASSERT_TRUE(slave.starts_with("/dev/pts/")) << slave;
  const int port = open(slave.c_str(), O_RDWR | O_NOCTTY);
  ASSERT_GE(port, 0);
  termios raw{};
  tcgetattr(port, &raw);
  cfmakeraw(&raw);
  tcsetattr(port, TCSANOW, &raw);

  for (const auto& [sent, reply] :
       SuccessfulUpdate(GetParam().baud_code, GetParam().protocol_code)) {
    ASSERT_EQ(write(port, sent.data(), sent.size()), static_cast<ssize_t>(sent.size()));
    EXPECT_EQ(ReadFor(port, reply.size(), kReplyLimit), reply) << testing::PrintToString(sent);
  }
  std::string firmware_line;
  for (std::string line = ReadLine(sim.Output(), kProgramLimit); !line.empty();
       line = ReadLine(sim.Output(), kProgramLimit)) {
    if (line.starts_with("firmware: ")) firmware_line = line;
  }
  EXPECT_TRUE(firmware_line.starts_with(GetParam().firmware_line_start)) << firmware_line;
  EXPECT_EQ(sim.Wait(), GetParam().exit_status);
  close(port);
}

INSTANTIATE_TEST_SUITE_P(Settings, SimProgramTest,
                         testing::Values(ProgramCase{5, 1, "firmware: 19200 baud 8E1", 0},
                                         ProgramCase{9, 0, "firmware: unusable record", 1}));

}  // namespace
}  // namespace trelvin2::sim
