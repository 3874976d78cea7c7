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

int OpenRaw(const std::string& slave) {
  const int port = open(slave.c_str(), O_RDWR | O_NOCTTY);
  if (port < 0) return port;
  termios raw{};
  tcgetattr(port, &raw);
  cfmakeraw(&raw);
  tcsetattr(port, TCSANOW, &raw);
  return port;
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
  const int port = OpenRaw(slave);
  ASSERT_GE(port, 0);

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

// A production line: one unit after another on the same port, each reset a little after the
// tool started calling it, each with its own setting and its own numbered firmware line.
TEST(SimProgram, ServesDevicesOneAfterAnother) {
  // The operator's reset comes this long after the first call; the tool calls again meanwhile.
  constexpr int kResetAfterMs = 100;
  constexpr auto kCallEvery = std::chrono::milliseconds(60);
  constexpr auto kLongestCalling = std::chrono::seconds(5);
  SimChild sim(TRELVIN2_SIM_PROGRAM,
               {"--devices", "3", "--reset-after", std::to_string(kResetAfterMs)}, PtyLink::kNone);
  ASSERT_TRUE(sim.Ready()) << sim.Printed();
  const int port = OpenRaw(sim.PtyPath());
  ASSERT_GE(port, 0);
  const ProgramCase units[] = {
      {5, 1, "firmware 1: 19200 baud 8E1 (BaudCode 5, ProtocolCode 1)", 0},
      {8, 0, "firmware 2: 115200 baud 8N1 (BaudCode 8, ProtocolCode 0)", 0},
      {0, 3, "firmware 3: 300 baud 8O1 (BaudCode 0, ProtocolCode 3)", 0}};
  for (const ProgramCase& unit : units) {
    const auto steps = SuccessfulUpdate(unit.baud_code, unit.protocol_code);
    // Call until this unit's loader is awake: the calls before its reset go unanswered.
    std::string reply;
    const auto calling_until = Clock::now() + kLongestCalling;
    while (reply.empty() && Clock::now() < calling_until) {
      ASSERT_EQ(write(port, "D", 1), 1);
      reply = ReadFor(port, 5, kCallEvery);
    }
    ASSERT_EQ(reply + ReadFor(port, 5 - reply.size(), kReplyLimit), "LD=SB");
    for (std::size_t i = 1; i < steps.size(); ++i) {
      const auto& [sent, expected] = steps[i];
      ASSERT_EQ(write(port, sent.data(), sent.size()), static_cast<ssize_t>(sent.size()));
      ASSERT_EQ(ReadFor(port, expected.size(), kReplyLimit), expected)
          << testing::PrintToString(sent);
    }
    std::optional<std::string> line;
    do {
      line = sim.ReadLine(kProgramLimit);
    } while (line && !line->starts_with("firmware"));
    ASSERT_TRUE(line.has_value());
    EXPECT_TRUE(line->starts_with(unit.firmware_line_start)) << *line;
  }
  EXPECT_EQ(sim.Wait(kProgramLimit), 0) << sim.Printed();
  // A unit's unanswered calls before its reset are no fault of the tool.
  EXPECT_EQ(sim.Printed().find("violation"), std::string::npos) << sim.Printed();
  close(port);
}

}  // namespace
}  // namespace trelvin2::sim
