// SerialRead's time limits on a pty: 100 ms after the last byte, 100 + 10 x N ms in all.
// Bounds are never early; upward slack is generous, as the machine is shared and noisy. Where
// an upper bound alone could not tell two behaviours apart, the number of bytes read does.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>

#include "serial/posix/posix_serial_link.h"
#include "tests/pty/scripted_peer.h"

namespace trelvin2 {
namespace {

constexpr int kSlackMs = 150;  // scheduling noise of a loaded 2-core machine, upward only
constexpr std::uint8_t kUntouched = 0xEE;  // a value the peer never sends

struct ReadCase {
  const char* name;
  int length;
  std::vector<PeerEvent> script;
  int min_received, max_received;  // a range where the peer's timing decides the count
  int min_ms;                      // the limit that must end the read, never before
  int max_ms;                      // before the slack
  int result;
};

std::vector<ReadCase> ReadCases() {
  return {
      {"NoDataEndsAtTheTotalLimit", 10, {}, 0, 0, 200, 200, 1},
      {"AllAtOnceReturnsAtOnce", 10, {{0, "0123456789"}}, 10, 10, 0, 20, 1},
      {"TrickleOfAllAskedForReturnsWithTheLast", 5, ByteEvery(20, 5), 5, 5, 80, 80, 1},
      {"TrickleOfFewerEndsAnIntervalAfterTheLast", 10, ByteEvery(20, 5), 5, 5, 180, 180, 1},
      {"GapLongerThanTheIntervalEndsTheRead", 10, {{0, "abc"}, {150, "def"}}, 3, 3, 100, 100, 1},
      {"GapShorterThanTheIntervalKeepsReading", 10, {{0, "abc"}, {80, "def"}}, 6, 6, 180, 180, 1},
      {"PeerClosingEndsTheReadWithAnError", 10, {{0, "ab"}, {50, "", true}}, 2, 2, 50, 50, 0},
      // The interval never runs out here, so only the total limit (1100 ms) can end the read;
      // a read that forgot the total once it had bytes ran to about 1550 ms.
      {"TotalLimitEndsAReadWhileBytesKeepComing", 100, ByteEvery(50, 100), 21, 23, 1100, 1100, 1},
  };
}

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const ReadCase& c, std::ostream* os) { *os << c.name; }

class ReadLimitsTest : public ::testing::TestWithParam<ReadCase> {};

TEST_P(ReadLimitsTest, EndsWhenTheFirstLimitRunsOut) {
  const ReadCase& c = GetParam();
  PtyPair pty;
  ASSERT_TRUE(pty.ok());
  PosixSerialLink link(pty.device_dir(), pty.lock_dir());
  const PortHandle port = link.SerialOpen("com1:19200,n,8,1", 0, 1024, 1024);
  ASSERT_NE(port, 0);

  std::vector<std::uint8_t> buffer(static_cast<std::size_t>(c.length), kUntouched);
  // Timed from before the peer starts, so that neither the peer's bytes nor the read can begin
  // before the clock does: a read that ends early cannot hide in the measurement.
  const auto began = std::chrono::steady_clock::now();
  ScriptedPeer peer(pty, c.script);
  const int result = link.SerialRead(port, buffer.data(), c.length);
  const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - began;

  const auto received =
      std::count_if(buffer.begin(), buffer.end(), [](std::uint8_t b) { return b != kUntouched; });
  EXPECT_EQ(result, c.result);
  EXPECT_GE(received, c.min_received);
  EXPECT_LE(received, c.max_received);
  // Received bytes fill the buffer from the start.
  EXPECT_TRUE(std::all_of(buffer.begin(), buffer.begin() + received,
                          [](std::uint8_t b) { return b != kUntouched; }));
  EXPECT_GE(took.count(), c.min_ms);
  EXPECT_LE(took.count(), c.max_ms + kSlackMs);
}

INSTANTIATE_TEST_SUITE_P(Table, ReadLimitsTest, ::testing::ValuesIn(ReadCases()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ReadLimits, OneByteWithNothingArrivingTakes110MsAndLeavesTheBuffer) {
  PtyPair pty;
  ASSERT_TRUE(pty.ok());
  PosixSerialLink link(pty.device_dir(), pty.lock_dir());
  const PortHandle port = link.SerialOpen("com1:19200,n,8,1", 0, 1024, 1024);
  ASSERT_NE(port, 0);

  std::array<std::uint8_t, 2> buffer{0x5A, 0xA5};
  const auto began = std::chrono::steady_clock::now();
  EXPECT_EQ(link.SerialRead(port, buffer.data(), 1), 1);
  const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - began;

  EXPECT_GE(took.count(), 110);
  EXPECT_LE(took.count(), 110 + kSlackMs);
  EXPECT_EQ(buffer, (std::array<std::uint8_t, 2>{0x5A, 0xA5}));
}

}  // namespace
}  // namespace trelvin2
