// SerialRead's time limits on COM1 under Wine, against the pty peer: 100 ms after the last
// byte, 100 + 10 x N ms in all; the same table as the Linux link's on a pty.
// Bounds are never early (bar Wine's rounding to whole milliseconds); upward slack is generous,
// as the machine is shared and noisy.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>

#include "serial/win32/win32_serial_link.h"
#include "tests/win32-serial/com1_peer.h"

namespace trelvin2 {
namespace {

constexpr int kSlackMs = 150;              // scheduling noise of a loaded 2-core machine
constexpr int kRoundingMs = 1;             // Wine counts its limits in whole milliseconds
constexpr std::uint8_t kUntouched = 0xEE;  // a value the peer never sends here

struct ReadCase {
  const char* name;
  int length;
  std::vector<PeerEvent> script;
  int min_received, max_received;  // a range where the peer's timing decides the count
  int min_ms;                      // the limit that must end the read, never before
  int max_ms;                      // before the slack
};

std::vector<ReadCase> ReadCases() {
  return {
      {"NoDataEndsAtTheTotalLimit", 10, {}, 0, 0, 200, 200},
      {"AllAtOnceReturnsAtOnce", 10, {{0, "0123456789"}}, 10, 10, 0, 20},
      {"TrickleOfAllAskedForReturnsWithTheLast", 5, ByteEvery(20, 5), 5, 5, 80, 80},
      {"TrickleOfFewerEndsAnIntervalAfterTheLast", 10, ByteEvery(20, 5), 5, 5, 180, 180},
      {"GapLongerThanTheIntervalEndsTheRead", 10, {{0, "abc"}, {150, "def"}}, 3, 3, 100, 100},
      {"GapShorterThanTheIntervalKeepsReading", 10, {{0, "abc"}, {80, "def"}}, 6, 6, 180, 180},
      // The interval never runs out here, so only the total limit (150 ms, 1100 ms) can end
      // the read.
      {"TotalLimitEndsAShortReadWhileBytesKeepComing", 5, ByteEvery(50, 5), 3, 4, 150, 150},
      {"TotalLimitEndsALongReadWhileBytesKeepComing", 100, ByteEvery(50, 100), 21, 23, 1100, 1100},
  };
}

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const ReadCase& c, std::ostream* os) { *os << c.name; }

class Com1ReadLimits : public ::testing::TestWithParam<ReadCase> {
 protected:
  void SetUp() override { ASSERT_NE(port, 0) << "COM1 does not open: is the pty peer running?"; }
  void TearDown() override {
    if (port != 0) peer.Quiet();
  }

  Win32SerialLink link;
  PortHandle port = link.SerialOpen("com1:19200,n,8,1", 0, 1024, 1024);
  Com1Peer peer{link, port};
};

TEST_P(Com1ReadLimits, EndsWhenTheFirstLimitRunsOut) {
  const ReadCase& c = GetParam();
  std::vector<std::uint8_t> buffer(static_cast<std::size_t>(c.length), kUntouched);
  // Timed from before the peer gets its script, so that neither the peer's bytes nor the read
  // can begin before the clock does: a read that ends early cannot hide in the measurement.
  const auto began = std::chrono::steady_clock::now();
  if (!c.script.empty()) {
    ASSERT_TRUE(peer.Play(c.script));
  }
  const int result = link.SerialRead(port, buffer.data(), c.length);
  const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - began;

  const auto received =
      std::count_if(buffer.begin(), buffer.end(), [](std::uint8_t b) { return b != kUntouched; });
  EXPECT_NE(result, 0);
  EXPECT_GE(received, c.min_received);
  EXPECT_LE(received, c.max_received);
  // Received bytes fill the buffer from the start.
  EXPECT_TRUE(std::all_of(buffer.begin(), buffer.begin() + received,
                          [](std::uint8_t b) { return b != kUntouched; }));
  EXPECT_GE(took.count(), c.min_ms - kRoundingMs);
  EXPECT_LE(took.count(), c.max_ms + kSlackMs);
}

INSTANTIATE_TEST_SUITE_P(Table, Com1ReadLimits, ::testing::ValuesIn(ReadCases()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Com1ReadLimit, OneByteWithNothingArrivingTakes110MsAndLeavesTheBuffer) {
  Win32SerialLink link;
  const PortHandle port = link.SerialOpen("com1:19200,n,8,1", 0, 1024, 1024);
  ASSERT_NE(port, 0);

  std::array<std::uint8_t, 2> buffer{0x5A, 0xA5};
  const auto began = std::chrono::steady_clock::now();
  EXPECT_NE(link.SerialRead(port, buffer.data(), 1), 0);
  const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - began;

  EXPECT_GE(took.count(), 110 - kRoundingMs);
  EXPECT_LE(took.count(), 110 + kSlackMs);
  EXPECT_EQ(buffer, (std::array<std::uint8_t, 2>{0x5A, 0xA5}));
}

}  // namespace
}  // namespace trelvin2
