// trelvin2-sim as a child process, played through its pty by a scripted client that sends what
// the tool sends in a successful update.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>

#include "tests/sim/device_session.h"
#include "tests/support/sim_child.h"

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

struct ProgramCase {
  int baud_code;
  int protocol_code;
  const char* firmware_line_start;
  int exit_status;
};

class SimProgramTest : public testing::TestWithParam<ProgramCase> {};

TEST_P(SimProgramTest, PlaysTheWholeUpdateOverItsPty) {
  SimChild sim(TRELVIN2_SIM_PROGRAM, {"--reset-now", "--once"}, PtyLink::kNone);
  const std::string slave = sim.PtyPath();
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
  for (std::string line = sim.ReadLine(kProgramLimit).value_or(""); !line.empty();
       line = sim.ReadLine(kProgramLimit).value_or("")) {
    if (line.starts_with("firmware: ")) firmware_line = line;
  }
  EXPECT_TRUE(firmware_line.starts_with(GetParam().firmware_line_start)) << firmware_line;
  EXPECT_EQ(sim.Wait(kProgramLimit), GetParam().exit_status);
  close(port);
}

INSTANTIATE_TEST_SUITE_P(Settings, SimProgramTest,
                         testing::Values(ProgramCase{5, 1, "firmware: 19200 baud 8E1", 0},
                                         ProgramCase{9, 0, "firmware: unusable record", 1}));

}  // namespace
}  // namespace trelvin2::sim
