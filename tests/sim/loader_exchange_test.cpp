#include <gtest/gtest.h>

#include "data/embedded_data.h"
#include "tests/sim/device_session.h"

namespace trelvin2::sim {
namespace {

TEST(LoaderExchangeTest, WholeSuccessfulUpdateByteForByte) {
  DeviceSession session;
  for (const auto& [sent, reply] : SuccessfulUpdate(5, 1)) {
    EXPECT_EQ(session.Talk(sent), reply) << "after sending " << testing::PrintToString(sent);
  }
  EXPECT_EQ(session.model.State(), LoaderState::kFirmware);
  EXPECT_TRUE(session.model.Violations().empty());

  const FlashMemory& flash = session.model.Flash();
  const std::uint8_t record[24] = {0x82, 0x34, 0x20, 0x8C, 0x10, 0x45, 0x08, 0x22,
                                   0x04, 0x10, 0x02, 0x07, 0x01, 0x03, 0x00, 0xAD,
                                   0x00, 0x56, 0x05, 0x01, 0x0A, 0x0A, 0x0A, 0x0A};
  for (std::uint32_t i = 0; i < 24; ++i) EXPECT_EQ(flash.At(0x1D40 + i), record[i]) << i;
  EXPECT_TRUE(flash.IsErased(0x1D58, 0x1D80 - 0x1D58));
  EXPECT_EQ(flash.At(0x1D80), FirmwareBin()[0x1D80]);  // the next row is untouched

  ASSERT_TRUE(session.model.Firmware().has_value());
  EXPECT_EQ(FirmwareStartLine(*session.model.Firmware()),
            "firmware: 19200 baud 8E1 (BaudCode 5, ProtocolCode 1), divisor 519, 19230.8 baud, "
            "+0.16 %");
}

TEST(LoaderExchangeTest, TranscriptCarriesLineAndLoaderTimes) {
  DeviceSession session;
  session.Talk("D");
  session.Talk(SecurityCodeBytes());
  session.Talk(AddressCommand(0x1D40));
  session.Talk("C");
  const auto transcript = session.model.Transcript();
  // "D" sent at 0 is complete after 521 us; "LD=SB" starts 100 us later, 521 us a byte.
  ASSERT_GE(transcript.size(), 6u);
  EXPECT_EQ(transcript[0].time_us, kByteTimeUs);
  EXPECT_EQ(transcript[0].direction, Direction::kToDevice);
  EXPECT_EQ(transcript[1].time_us, kByteTimeUs + kConnectReplyUs + kByteTimeUs);
  EXPECT_EQ(transcript[5].time_us, kByteTimeUs + kConnectReplyUs + 5 * kByteTimeUs);
  EXPECT_EQ(transcript[5].direction, Direction::kFromDevice);
  // "C" goes out at 600 ms; its "C!" waits for the ~2 ms row erase.
  const LineByte& c_sent = transcript[transcript.size() - 3];
  const LineByte& c_reply = transcript[transcript.size() - 2];
  EXPECT_EQ(c_sent.value, 'C');
  EXPECT_EQ(c_sent.time_us, 3 * kReplyWaitUs + kByteTimeUs);
  EXPECT_EQ(c_reply.time_us, c_sent.time_us + kEraseRowUs + kByteTimeUs);
  EXPECT_EQ(TranscriptLine(transcript[0]), "         521 us  tool -> device  44 'D'");
}

struct RefusalCase {
  const char* name;
  std::vector<Step> steps;  // after the loader is unlocked
  const char* violation;    // what the model holds against the tool
};

class RefusalTest : public testing::TestWithParam<RefusalCase> {};

TEST_P(RefusalTest, AnswersWithQuestionMarkAndRecordsTheViolation) {
  DeviceSession session;
  ASSERT_EQ(session.Talk("D"), "LD=SB");
  ASSERT_EQ(session.Talk(SecurityCodeBytes()), "L!");
  for (const auto& [sent, reply] : GetParam().steps) {
    EXPECT_EQ(session.Talk(sent), reply) << testing::PrintToString(sent);
  }
  ASSERT_EQ(session.model.Violations().size(), 1u);
  EXPECT_EQ(session.model.Violations()[0].text, GetParam().violation);
}

const std::string kData = Bytes({1, 2, 3, 4, 5, 6, 7, 8});

INSTANTIATE_TEST_SUITE_P(
    Refusals, RefusalTest,
    testing::Values(RefusalCase{"AddressInLoaderRegion",
                                {{AddressCommand(0x1E00), "A?"}},
                                "A 0x001E00: the boot loader's region"},
                    RefusalCase{"AddressOutsideMemory",
                                {{AddressCommand(0x012000), "A?"}},
                                "A 0x012000: outside program memory"},
                    RefusalCase{"UnalignedWrite",
                                {{"B" + kData, "B!"}, {AddressCommand(0x1D44), "A!"}, {"W", "W?"}},
                                "W at 0x1D44, not 8-aligned"},
                    RefusalCase{"WriteWithoutBuffer",
                                {{AddressCommand(0x1D40), "A!"}, {"W", "W?"}},
                                "W without a loaded buffer"},
                    RefusalCase{"BufferIsUsedUpByAWrite",
                                {{AddressCommand(0x1D40), "A!"},
                                 {"C", "C!"},
                                 {"B" + kData, "B!"},
                                 {"W", "W!"},
                                 {"W", "W?"}},
                                "W without a loaded buffer"},
                    RefusalCase{"EraseWithoutAddress", {{"C", "C?"}}, "C without an address"},
                    RefusalCase{"UnknownLetter", {{"X", "X?"}}, "unknown command 0x58"},
                    RefusalCase{"ConnectWhileUnlocked", {{"D", "D?"}}, "unknown command 0x44"},
                    RefusalCase{"WriteOverUnerasedBytesIsProgrammedButNoted",
                                {{"B" + kData, "B!"}, {AddressCommand(0x0000), "A!"}, {"W", "W!"}},
                                "W at 0x0000 over bytes that are not erased"}),
    [](const auto& info) { return info.param.name; });

TEST(LoaderExchangeTest, WrongSecurityCodeIsRefusedAndTheLoaderSleeps) {
  DeviceSession session;
  ASSERT_EQ(session.Talk("D"), "LD=SB");
  EXPECT_EQ(session.Talk(Bytes({0x4B, 0x32, 0x00})), "L?");
  EXPECT_EQ(session.model.State(), LoaderState::kAsleep);
  EXPECT_EQ(session.Talk("D"), "");
  ASSERT_EQ(session.model.Violations().size(), 1u);
  EXPECT_EQ(session.model.Violations()[0].text, "wrong security code 0x4B 0x32 0x00");

  session.model.ResetAt(session.now_us);  // the operator presses reset again
  EXPECT_EQ(session.Talk("D"), "LD=SB");
}

TEST(LoaderExchangeTest, RepeatedConnectBeforeTheCodeIsAnsweredAgain) {
  DeviceSession session;
  EXPECT_EQ(session.Talk("D"), "LD=SB");
  EXPECT_EQ(session.Talk("D"), "LD=SB");
  EXPECT_EQ(session.Talk(SecurityCodeBytes()), "L!");
}

TEST(LoaderExchangeTest, BytesAfterTheFirmwareStartAreIgnoredAndNoted) {
  DeviceSession session;
  for (const auto& [sent, reply] : SuccessfulUpdate(8, 0)) session.Talk(sent);
  EXPECT_EQ(session.Talk("D"), "");
  ASSERT_EQ(session.model.Violations().size(), 1u);
  EXPECT_EQ(session.model.Violations()[0].text, "byte 0x44 after the firmware started");
}

TEST(LoaderResetTest, AsleepUntilTheResetAfterTheFirstByte) {
  Scenario scenario;
  scenario.reset = {ResetKind::kAfterFirstByte, 2'000'000};
  DeviceSession session(scenario);
  // The tool calls once a second; the first "D" arrives at 521 us, the reset at 2.000521 s.
  EXPECT_EQ(session.Talk("D", 1'000'000), "");
  EXPECT_EQ(session.Talk("D", 1'000'000), "");
  EXPECT_EQ(session.Talk("D", 1'000'000), "LD=SB");
  EXPECT_TRUE(session.model.Violations().empty());
}

TEST(LoaderResetTest, AtAGivenTime) {
  Scenario scenario;
  scenario.reset = {ResetKind::kAtTime, 150'000};
  DeviceSession session(scenario);
  EXPECT_EQ(session.Talk("D", 150'000), "");  // arrives at 521 us
  EXPECT_EQ(session.Talk("D"), "LD=SB");
}

TEST(LoaderResetTest, SilenceNeverAnswers) {
  Scenario scenario;
  std::string error;
  ASSERT_TRUE(AddFault("silence", scenario, error));
  DeviceSession session(scenario);
  for (int attempt = 0; attempt < 30; ++attempt) EXPECT_EQ(session.Talk("D", 1'000'000), "");
  EXPECT_EQ(session.model.State(), LoaderState::kAsleep);
}

}  // namespace
}  // namespace trelvin2::sim
