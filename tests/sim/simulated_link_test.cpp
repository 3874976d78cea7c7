#include "tests/support/simulated_link.h"

#include <gtest/gtest.h>

#include "tests/sim/device_session.h"

namespace trelvin2 {
namespace {

using sim::AddFault;
using sim::DeviceModel;
using sim::Scenario;

constexpr char kMode[] = "com1:19200,n,8,1";

struct LinkFixture {
  explicit LinkFixture(std::vector<const char*> faults = {}) : device(Build(faults)) {}
  static Scenario Build(const std::vector<const char*>& faults) {
    Scenario scenario;
    std::string error;
    for (const char* fault : faults) EXPECT_TRUE(AddFault(fault, scenario, error)) << error;
    return scenario;
  }
  PortHandle Open() { return link.SerialOpen(kMode, 0, 1024, 1024); }
  int Write(PortHandle port, std::string_view bytes) {
    return link.SerialWrite(port, reinterpret_cast<const std::uint8_t*>(bytes.data()),
                            static_cast<std::int32_t>(bytes.size()));
  }

  VirtualClock clock;
  DeviceModel device;
  SimulatedLink link{clock, device};
};

// Virtual times: the open costs 5 us, the write 5 us more, so "D" leaves at 10 us, arrives at
// 531 us, and "LD=SB" follows 100 us later at 521 us a byte: 1152, 1673, 2194, 2715, 3236 us.
// The read's own call cost puts its start at 15 us.
struct ReadCase {
  const char* name;
  std::vector<const char*> faults;
  const char* sent;
  int length;
  int result;
  std::string received;
  std::uint64_t end_us;
};

class SimulatedLinkReadTest : public testing::TestWithParam<ReadCase> {};

TEST_P(SimulatedLinkReadTest, EndsAtTheFirstTimeLimitThatRunsOut) {
  const ReadCase& c = GetParam();
  LinkFixture f(c.faults);
  const PortHandle port = f.Open();
  ASSERT_NE(port, 0);
  if (*c.sent) {
    ASSERT_EQ(f.Write(port, c.sent), 1);
  }
  std::string buffer(static_cast<std::size_t>(c.length), '.');
  EXPECT_EQ(f.link.SerialRead(port, reinterpret_cast<std::uint8_t*>(buffer.data()), c.length),
            c.result);
  EXPECT_EQ(buffer.substr(0, c.received.size()), c.received);
  EXPECT_EQ(buffer.substr(c.received.size()), std::string(c.length - c.received.size(), '.'))
      << "bytes beyond those received keep their content";
  EXPECT_EQ(f.clock.NowUs(), c.end_us);
}

INSTANTIATE_TEST_SUITE_P(
    Limits, SimulatedLinkReadTest,
    testing::Values(
        ReadCase{"NothingForOneByte", {}, "", 1, 1, "", 10 + 110'000},
        ReadCase{"NothingForTenBytes", {}, "", 10, 1, "", 10 + 200'000},
        ReadCase{"AllBytesCame", {}, "D", 5, 1, "LD=SB", 3236},
        ReadCase{"FewerThanAskedForAll", {}, "D", 2, 1, "LD", 1673},
        ReadCase{"IntervalAfterTheLastByte", {}, "D", 10, 1, "LD=SB", 3236 + 100'000},
        ReadCase{"GapLongerThanTheInterval", {"split:D=1@150"}, "D", 5, 1, "L", 1152 + 100'000},
        ReadCase{"TotalLimitDuringSlowBytes", {"split:D=1@80"}, "D", 5, 1, "LD", 15 + 150'000},
        ReadCase{"SilentDevice", {"silence"}, "D", 1, 1, "", 15 + 110'000},
        ReadCase{"CableCutDuringTheRead", {"cut=2"}, "DD", 5, 0, "", 1052}),
    [](const auto& info) { return info.param.name; });

TEST(SimulatedLinkTest, PollingMovesTheClockUntilTheReplyArrives) {
  LinkFixture f;
  const PortHandle port = f.Open();
  f.Write(port, "D");
  int polls = 0;
  while (f.link.SerialBytesWaiting(port) < 2) ++polls;
  // Calls at 15, 20, ... us; the second reply byte is complete at 1673 us.
  EXPECT_EQ(f.clock.NowUs(), 1675u);
  EXPECT_EQ(polls, (1670 - 15) / 5 + 1);
  std::uint8_t byte = 0;
  f.link.SerialRead(port, &byte, 1);
  EXPECT_EQ(byte, 'L');
  EXPECT_EQ(f.link.SerialBytesWaiting(port), 1);
  f.clock.AdvanceToUs(5'000);
  EXPECT_EQ(f.link.SerialBytesWaiting(port), 4);
}

TEST(SimulatedLinkTest, WritesQueueOnTheLineAndReturnAtOnce) {
  LinkFixture f;
  const PortHandle port = f.Open();
  EXPECT_EQ(f.Write(port, "D"), 1);
  EXPECT_EQ(f.Write(port, sim::SecurityCodeBytes()), 1);
  EXPECT_EQ(f.clock.NowUs(), 15u);
  std::vector<std::uint64_t> sent_us;
  for (const auto& byte : f.device.Transcript()) {
    if (byte.direction == sim::Direction::kToDevice) sent_us.push_back(byte.time_us);
  }
  // The "D" left at 10 us; the code bytes, written at 15 us, queue behind it on the line.
  EXPECT_EQ(sent_us, (std::vector<std::uint64_t>{531, 1052, 1573, 2094}));
}

TEST(SimulatedLinkTest, AfterTheCutEverythingGivesZero) {
  LinkFixture f({"cut=1"});
  const PortHandle port = f.Open();
  EXPECT_EQ(f.Write(port, "D"), 1);
  f.clock.AdvanceToUs(1'000);
  std::uint8_t byte = 0;
  EXPECT_EQ(f.link.SerialRead(port, &byte, 1), 0);
  EXPECT_EQ(f.link.SerialBytesWaiting(port), 0);
  EXPECT_EQ(f.Write(port, "D"), 0);
  EXPECT_EQ(f.clock.NowUs(), 1'015u);  // nothing waited for a line that is gone
}

TEST(SimulatedLinkTest, OpenIsExclusiveAndLimitedToThePortsPresent) {
  VirtualClock clock;
  DeviceModel device;
  SimulatedLink link(clock, device, {"com1", "com3", "com4"});
  link.MarkBusy("com4");
  const PortHandle com1 = link.SerialOpen(kMode, 0, 1024, 1024);
  EXPECT_NE(com1, 0);
  EXPECT_EQ(link.SerialOpen(kMode, 0, 1024, 1024), 0) << "already open";
  EXPECT_EQ(link.SerialOpen("com2:19200,n,8,1", 0, 1024, 1024), 0) << "not present";
  EXPECT_EQ(link.SerialOpen(":19200,n,8,1", 0, 1024, 1024), 0) << "no name";
  EXPECT_EQ(link.SerialOpen("com4:19200,n,8,1", 0, 1024, 1024), 0) << "held by another program";

  // com3 exists but nothing is attached: writes go out, nothing comes back.
  const PortHandle com3 = link.SerialOpen("com3:19200,n,8,1", 0, 1024, 1024);
  ASSERT_NE(com3, 0);
  const std::uint8_t d = 'D';
  EXPECT_EQ(link.SerialWrite(com3, &d, 1), 1);
  EXPECT_EQ(link.SerialBytesWaiting(com3), 0);
  EXPECT_TRUE(device.Transcript().empty());

  link.SerialClose(com1);
  EXPECT_EQ(link.SerialWrite(com1, &d, 1), 0);
  std::uint8_t byte = 0;
  EXPECT_EQ(link.SerialRead(com1, &byte, 1), 0);
  EXPECT_EQ(link.SerialBytesWaiting(com1), 0);
  EXPECT_EQ(link.SerialRead(0, &byte, 1), 0);
  EXPECT_NE(link.SerialOpen(kMode, 0, 1024, 1024), 0) << "free again after the close";
}

TEST(SimulatedLinkTest, ThirtySecondsOfUnansweredCallsRunOnVirtualTime) {
  LinkFixture f({"silence"});
  const PortHandle port = f.Open();
  for (int attempt = 0; attempt < 30; ++attempt) {
    f.Write(port, "D");
    f.clock.Pause(1000);
    EXPECT_EQ(f.link.SerialBytesWaiting(port), 0);
  }
  EXPECT_GE(f.clock.NowUs(), 30'000'000u);
  EXPECT_EQ(f.device.Transcript().size(), 30u);
}

}  // namespace
}  // namespace trelvin2
