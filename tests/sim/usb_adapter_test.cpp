// The device's bytes behind a USB-serial adapter: held until the latency timer runs out, or
// passed on at once when a USB packet is full; the line itself keeps its timing.
#include <gtest/gtest.h>

#include "tests/sim/device_session.h"

namespace trelvin2::sim {
namespace {

// "D" sent at 0 arrives at 521 us; the loader works 100 us; "LD=SB" leaves byte by byte.
constexpr std::uint64_t kConnectReplyLineUs[] = {1142, 1663, 2184, 2705, 3226};

Scenario Behind(int latency_ms, std::uint64_t timer_phase_us = 0) {
  Scenario scenario;
  scenario.adapter = {latency_ms, timer_phase_us};
  return scenario;
}

std::vector<std::uint64_t> Times(const std::vector<ReplyByte>& bytes, bool at_tool) {
  std::vector<std::uint64_t> times;
  for (const ReplyByte& byte : bytes) times.push_back(at_tool ? byte.time_us : byte.line_us);
  return times;
}

TEST(UsbAdapter, WithoutOneABytesReachesTheToolAsItsStopBitEnds) {
  DeviceModel device;
  device.Send('D', 0);
  const auto replies = device.TakeReplies(10'000);
  EXPECT_EQ(Times(replies, true), Times(replies, false));
  EXPECT_EQ(Times(replies, false), std::vector<std::uint64_t>(std::begin(kConnectReplyLineUs),
                                                              std::end(kConnectReplyLineUs)));
}

TEST(UsbAdapter, HoldsTheBytesUntilItsTimerRunsOut) {
  DeviceModel device(Behind(16));
  device.Send('D', 0);
  EXPECT_EQ(device.NextReplyUs(), 16'000u);
  EXPECT_TRUE(device.TakeReplies(15'999).empty());
  const auto replies = device.TakeReplies(16'000);
  EXPECT_EQ(Times(replies, true), std::vector<std::uint64_t>(5, 16'000));
  // The line's times are those without an adapter: the transcript shows the wire.
  EXPECT_EQ(Times(replies, false), std::vector<std::uint64_t>(std::begin(kConnectReplyLineUs),
                                                              std::end(kConnectReplyLineUs)));
}

TEST(UsbAdapter, AReplyAcrossTheTimersEndComesInTwoPieces) {
  // The timer runs out at 2000 us and then every 16 ms: two bytes are complete by then.
  DeviceModel device(Behind(16, 2000));
  device.Send('D', 0);
  EXPECT_EQ(Times(device.TakeReplies(20'000), true),
            (std::vector<std::uint64_t>{2000, 2000, 18'000, 18'000, 18'000}));
}

TEST(UsbAdapter, AFullPacketGoesAtOnceAndStartsTheTimerAgain) {
  // 70 bytes of noise at the reset: 62 fill a packet before a 40-ms timer runs out (at 19200
  // baud 16 ms carry only 30 bytes), the last 8 wait for the timer started again.
  Scenario scenario = Behind(40);
  scenario.reset_noise = std::string(70, 'x');
  DeviceModel device(scenario);
  const auto bytes = device.TakeReplies(1'000'000);
  ASSERT_EQ(bytes.size(), 70u);
  const std::uint64_t packet_full_us = bytes[61].line_us;
  EXPECT_EQ(packet_full_us, 62 * kByteTimeUs);
  for (int i = 0; i < 62; ++i) EXPECT_EQ(bytes[i].time_us, packet_full_us) << i;
  for (int i = 62; i < 70; ++i) EXPECT_EQ(bytes[i].time_us, packet_full_us + 40'000) << i;
}

TEST(UsbAdapter, BytesHeldWhenTheCableIsPulledAreLost) {
  Scenario scenario = Behind(16);
  scenario.cut_after_bytes = 2;
  DeviceModel device(scenario);
  device.Send('D', 0);
  device.Send(kSecurityCode[0], 3000);  // the cable goes with this byte, at 3521 us
  EXPECT_TRUE(device.TakeReplies(1'000'000).empty());
}

}  // namespace
}  // namespace trelvin2::sim
