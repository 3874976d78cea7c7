// The loader's byte conventions: address bytes, the reply wait, reading a reply, and the
// two-byte acknowledgement.
#include "loader/loader_link.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "tests/unit/main_window_bench.h"

namespace trelvin2 {
namespace {

class LoaderLinkTest : public ::testing::Test, protected MainWindowBench {};

TEST_F(LoaderLinkTest, AddressGoesOutAsItsLowThreeBytesLeastSignificantFirstInOneWrite) {
  struct Row {
    std::uint32_t address;
    std::vector<std::uint8_t> bytes;
  };
  const Row rows[] = {{0x001D40, {0x40, 0x1D, 0x00}},
                      {0x123456, {0x56, 0x34, 0x12}},
                      {0xAB1D48, {0x48, 0x1D, 0xAB}},
                      {0xFF001D50, {0x50, 0x1D, 0x00}},  // the top byte is dropped
                      {0x00000000, {0x00, 0x00, 0x00}}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.address);
    link.writes.clear();
    SendAddress(program, row.address);
    ASSERT_EQ(link.writes.size(), 1u);
    EXPECT_EQ(link.writes[0], row.bytes);
  }
}

TEST_F(LoaderLinkTest, CommandIsOneWriteOfItsLetter) {
  SendCommand(program, 'W');
  EXPECT_EQ(link.writes, (std::vector<std::vector<std::uint8_t>>{{'W'}}));
}

struct ReplyWaitCase {
  const char* name;
  std::uint32_t tick_at_start;
  std::vector<std::pair<std::uint64_t, std::string>> arrivals;  // virtual time, bytes
  std::int16_t count;
  std::uint64_t earliest_end_us;  // the wait returns at or after this
  std::uint64_t latest_end_us;    // and before this
};
void PrintTo(const ReplyWaitCase& c, std::ostream* os) { *os << c.name; }

class ReplyWaitTable : public ::testing::TestWithParam<ReplyWaitCase> {};

// WaitForReply with the 20 ms of an acknowledgement: it returns as soon as count bytes wait,
// or once more than the limit has passed, by the tick's difference even across its wrap.
TEST_P(ReplyWaitTable, ReturnsWhenTheCountWaitsOrOnceMoreThanTheLimitHasPassed) {
  const ReplyWaitCase& c = GetParam();
  MainWindowBench bench(c.tick_at_start);
  for (const auto& [at_us, bytes] : c.arrivals) bench.link.ArriveAtUs(at_us, bytes);
  WaitForReply(bench.program, 20, c.count);
  EXPECT_GE(bench.clock.NowUs(), c.earliest_end_us);
  EXPECT_LT(bench.clock.NowUs(), c.latest_end_us);
}

// 16 ms before the 32-bit millisecond tick wraps.
constexpr std::uint32_t kTickBeforeWrap = 0xFFFFFFF0u;

INSTANTIATE_TEST_SUITE_P(
    Waits, ReplyWaitTable,
    testing::Values(
        ReplyWaitCase{"BytesAlreadyWaiting", 0, {{0, "A!"}}, 2, 0, 100},
        ReplyWaitCase{"NothingComes", 0, {}, 2, 20'001, 22'000},
        ReplyWaitCase{"CountArrivesByteByByte", 0, {{3'000, "A"}, {7'000, "!"}}, 2, 7'000, 7'100},
        ReplyWaitCase{"TooFewBytesCome", 0, {{3'000, "A"}}, 2, 20'001, 22'000},
        ReplyWaitCase{"NoCount", 0, {}, 0, 0, 1}, ReplyWaitCase{"NegativeCount", 0, {}, -1, 0, 1},
        ReplyWaitCase{"TickWrapsDuringTheWait", kTickBeforeWrap, {}, 2, 20'001, 22'000}),
    [](const auto& info) { return info.param.name; });

TEST_F(LoaderLinkTest, MissingByteNeverLetsAStaleBufferByteCompleteTheReply) {
  // "A" arrives, then nothing: the second read times out. Had the read reused one buffer, the
  // 'A' left in it could have been taken for the missing byte.
  link.ArriveAtUs(0, "A");
  const std::string reply = ReadReply(program, 2);
  EXPECT_EQ(reply.size(), 2u);
  EXPECT_EQ(reply[0], 'A');
  EXPECT_NE(reply, "AA");
  EXPECT_NE(reply.substr(1), "!");
}

TEST_F(LoaderLinkTest, AckWhoseSecondByteIsMissingFailsEvenAfterAnEarlierBang) {
  // The '!' of "A!" was the last byte read; a reused read buffer would still hold it when the
  // answer to "C" stops after its letter, and "C!" would seem to have come.
  link.ArriveAtUs(1'000, "A!");
  link.ArriveAtUs(10'000, "C");
  EXPECT_TRUE(ExpectAck(program, 'A'));
  EXPECT_FALSE(ExpectAck(program, 'C'));
}

struct AckCase {
  const char* name;
  char letter;
  std::string reply;  // arrives 1 ms after the start
  bool acknowledged;
  int left_queued;
};
void PrintTo(const AckCase& c, std::ostream* os) { *os << c.name; }

class ExpectAckTable : public LoaderLinkTest, public ::testing::WithParamInterface<AckCase> {};

TEST_P(ExpectAckTable, ComparesTheLetterAndTheExclamationMarkExactly) {
  const AckCase& c = GetParam();
  link.ArriveAtUs(1'000, c.reply);
  EXPECT_EQ(ExpectAck(program, c.letter), c.acknowledged);
  EXPECT_EQ(link.Queued(), c.left_queued);
}

INSTANTIATE_TEST_SUITE_P(Replies, ExpectAckTable,
                         ::testing::Values(AckCase{"Exact", 'A', "A!", true, 0},
                                           AckCase{"LowerCase", 'A', "a!", false, 0},
                                           AckCase{"OtherLetter", 'C', "A!", false, 0},
                                           AckCase{"Reversed", 'W', "!W", false, 0},
                                           AckCase{"StrayByteAfter", 'B', "B!x", true, 1},
                                           AckCase{"OneByteOnly", 'C', "C", false, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(LoaderLinkTest, StrayByteAfterAnAckBecomesTheStartOfTheNextReply) {
  link.ArriveAtUs(1'000, "A!x");
  link.ArriveAtUs(5'000, "C!");
  EXPECT_TRUE(ExpectAck(program, 'A'));
  EXPECT_FALSE(ExpectAck(program, 'C'));  // reads "xC"
  EXPECT_EQ(link.Queued(), 1);            // the "!" stays for whatever comes next
}

TEST_F(LoaderLinkTest, NoAnswerFailsAfterTheWaitAndTwoTimedOutReads) {
  const std::uint64_t start = clock.NowUs();
  EXPECT_FALSE(ExpectAck(program, 'A'));
  // more than 20 ms of polling, then two one-byte reads of 100 + 10 ms each
  EXPECT_GE(clock.NowUs() - start, 240'000u);
  EXPECT_LT(clock.NowUs() - start, 245'000u);
  EXPECT_EQ(link.read_calls, 2);
}

}  // namespace
}  // namespace trelvin2
