#include <gtest/gtest.h>

#include <map>

#include "tests/sim/device_session.h"

namespace trelvin2::sim {
namespace {

// Steps of SuccessfulUpdate: 0 "D", 1 code, 2 "A" erase address, 3 "C", then per block
// "B", "A", "W" (4-6, 7-9, 10-12), 13 "S".
struct FaultCase {
  const char* name;
  std::vector<const char*> faults;
  std::map<int, std::string> changed;  // step -> reply; every other step answers as usual
};

class FaultTest : public testing::TestWithParam<FaultCase> {};

TEST_P(FaultTest, ChangesExactlyTheRepliesItNames) {
  Scenario scenario;
  std::string error;
  for (const char* fault : GetParam().faults)
    ASSERT_TRUE(AddFault(fault, scenario, error)) << error;
  DeviceSession session(scenario);
  const auto steps = SuccessfulUpdate(5, 1);
  for (int i = 0; i < static_cast<int>(steps.size()); ++i) {
    const auto changed = GetParam().changed.find(i);
    const std::string expected =
        changed == GetParam().changed.end() ? steps[i].second : changed->second;
    EXPECT_EQ(session.Talk(steps[i].first), expected) << "step " << i;
  }
}

std::map<int, std::string> AllFrom(int first, int last = 13) {
  std::map<int, std::string> silent;
  for (int i = first; i <= last; ++i) silent[i] = "";
  return silent;
}

INSTANTIATE_TEST_SUITE_P(
    Faults, FaultTest,
    testing::Values(
        FaultCase{"None", {}, {}},
        FaultCase{"WrongConnectReplyOnce", {"wrong:D#1"}, {{0, "LD=S?"}}},
        FaultCase{
            "WrongCaseEveryAddress", {"case:A"}, {{2, "a!"}, {5, "a!"}, {8, "a!"}, {11, "a!"}}},
        FaultCase{"ShortSecurityReply", {"short:code"}, {{1, "L"}}},
        FaultCase{"LongEraseReply", {"long:C#1"}, {{3, "C!!"}}},
        FaultCase{"SecondBlockWriteRefused", {"reply:W#2=W?"}, {{9, "W?"}}},
        FaultCase{"ThirdBufferReplyWrong", {"wrong:B#3"}, {{10, "B?"}}},
        FaultCase{"ExtraByteAfterFirstAddress", {"extra:A#1=\\x00"}, {{2, std::string("A!\0", 3)}}},
        FaultCase{"LineEndAfterConnectReply", {"crlf"}, {{0, "LD=SB\r\n"}}},
        FaultCase{"NoiseAtReset",
                  {"noise=\\x00\\xFE"},
                  {{0, std::string("\x00\xFE"
                                   "LD=SB",
                                   7)}}},
        FaultCase{"CableCutInTheEraseAddress", {"cut=5"}, AllFrom(2)},
        FaultCase{"CableCutInTheThirdBlockData", {"cut=42"}, AllFrom(10)},
        FaultCase{"Silence", {"silence"}, AllFrom(0)},
        // The refusal of an unknown command "L" is not the security reply "L!".
        FaultCase{"RefusalOfLetterL", {"reply:L=Z?"}, {}},
        FaultCase{"TwoFaultsOnOneReply", {"case:D#1", "extra:D#1=\\r\\n"}, {{0, "ld=sb\r\n"}}}),
    [](const auto& info) { return info.param.name; });

TEST(FaultTest, RefusalOfUnknownLetterLIsKeptApartFromTheSecurityReply) {
  Scenario scenario;
  std::string error;
  ASSERT_TRUE(AddFault("reply:L=Z?", scenario, error)) << error;
  ASSERT_TRUE(AddFault("wrong:code", scenario, error)) << error;
  DeviceSession session(scenario);
  EXPECT_EQ(session.Talk("D"), "LD=SB");
  EXPECT_EQ(session.Talk(SecurityCodeBytes()), "L?");
  // A wrong security reply does not stop the loader, which was unlocked all the same.
  EXPECT_EQ(session.Talk("L"), "Z?");
  EXPECT_EQ(session.Talk("Q"), "Q?");
}

std::vector<std::uint64_t> ReplyTimes(const DeviceModel& model) {
  std::vector<std::uint64_t> times;
  for (const LineByte& byte : model.Transcript()) {
    if (byte.direction == Direction::kFromDevice) times.push_back(byte.time_us);
  }
  return times;
}

TEST(FaultTimingTest, LateReplyStartsThatMuchLater) {
  Scenario scenario;
  std::string error;
  ASSERT_TRUE(AddFault("late:code=60", scenario, error));
  DeviceSession session(scenario);
  session.Talk("D");
  // The three code bytes are sent at 200 ms and complete at 200 ms + 3 x 521 us.
  EXPECT_EQ(session.Talk(SecurityCodeBytes(), 60'000), "");
  EXPECT_EQ(session.Talk("", 10'000), "L!");
  const auto times = ReplyTimes(session.model);
  ASSERT_EQ(times.size(), 7u);
  EXPECT_EQ(times[5], kReplyWaitUs + 3 * kByteTimeUs + kSecurityReplyUs + 60'000 + kByteTimeUs);
}

TEST(FaultTimingTest, SplitReplyComesInPiecesWithGaps) {
  Scenario scenario;
  std::string error;
  ASSERT_TRUE(AddFault("split:D=2@300", scenario, error));
  DeviceSession session(scenario);
  EXPECT_EQ(session.Talk("D", 250'000), "LD");
  EXPECT_EQ(session.Talk("", 300'000), "=S");
  EXPECT_EQ(session.Talk("", 300'000), "B");
  const auto times = ReplyTimes(session.model);
  const std::uint64_t first = kByteTimeUs + kConnectReplyUs + kByteTimeUs;
  EXPECT_EQ(times, (std::vector<std::uint64_t>{first, first + 521, first + 521 + 300'000 + 521,
                                               first + 2 * 521 + 300'000 + 521,
                                               first + 3 * 521 + 600'000 + 521}));
}

TEST(FaultTimingTest, CutDropsWhatWasStillOnItsWay) {
  Scenario scenario;
  std::string error;
  ASSERT_TRUE(AddFault("cut=1", scenario, error));
  DeviceSession session(scenario);
  EXPECT_EQ(session.Talk("D"), "");
  ASSERT_TRUE(session.model.CutUs().has_value());
  EXPECT_EQ(*session.model.CutUs(), kByteTimeUs);
  EXPECT_EQ(session.model.Transcript().size(), 1u);  // the "D", and nothing after the cut
}

TEST(FaultTextTest, CanonicalFormsReadBackAsWritten) {
  for (const char* text : {"reply:W#2=W?", "wrong:D#1", "case:A", "short:code", "long:C#3",
                           "extra:B=\\r\\n", "split:D=2@300", "late:code=60", "wrong:X"}) {
    Scenario scenario;
    std::string error;
    ASSERT_TRUE(AddFault(text, scenario, error)) << text << ": " << error;
    ASSERT_EQ(scenario.reply_faults.size(), 1u);
    EXPECT_EQ(FaultText(scenario.reply_faults[0]), text);
  }
}

TEST(FaultTextTest, ScenarioFaults) {
  Scenario scenario;
  std::string error;
  ASSERT_TRUE(AddFault("noise=\\x00ab\\xff", scenario, error));
  ASSERT_TRUE(AddFault("cut=17", scenario, error));
  EXPECT_EQ(scenario.reset_noise, std::string("\x00"
                                              "ab\xff",
                                              4));
  EXPECT_EQ(scenario.cut_after_bytes, 17);
  ASSERT_TRUE(AddFault("silence", scenario, error));
  EXPECT_EQ(scenario.reset.kind, ResetKind::kNever);
}

TEST(FaultTextTest, MalformedFaultsAreRejectedAndChangeNothing) {
  for (const char* text :
       {"",          "wrong",    "wrong:",       "wrong:AB",    "wrong:A#0",   "wrong:A#x",
        "wrong:A=1", "late:A",   "late:A=x",     "late:A=",     "split:D=0@5", "split:D=2",
        "reply:W",   "reply:W=", "extra:A=\\x4", "extra:A=\\q", "noise=",      "cut=0",
        "cut=x",     "bogus:A",  "silence2"}) {
    Scenario scenario;
    std::string error;
    EXPECT_FALSE(AddFault(text, scenario, error)) << "'" << text << "'";
    EXPECT_FALSE(error.empty()) << text;
    EXPECT_TRUE(scenario.reply_faults.empty()) << text;
    EXPECT_EQ(scenario.cut_after_bytes, 0) << text;
  }
}

}  // namespace
}  // namespace trelvin2::sim
