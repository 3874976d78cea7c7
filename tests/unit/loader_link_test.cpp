// The loader's byte conventions: address bytes, the reply wait, reading a reply, and the
// two-byte acknowledgement.
#include "loader/loader_link.h"

#include <gtest/gtest.h>

#include "tests/support/memory_toolkit.h"
#include "tests/support/scripted_link.h"

namespace trelvin2 {
namespace {

class LoaderLinkTest : public ::testing::Test {
 protected:
  LoaderLinkTest() { program.working_port = 1; }
  std::uint64_t ElapsedUs(std::uint64_t since) const { return clock.NowUs() - since; }

  VirtualClock clock;
  MemoryToolkit toolkit{clock};
  ScriptedLink link{clock};
  Program program{toolkit, link, clock};
};

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

TEST_F(LoaderLinkTest, ReplyWaitReturnsAtOnceWhenTheBytesAlreadyWait) {
  link.ArriveAtUs(0, "A!");
  const std::uint64_t start = clock.NowUs();
  WaitForReply(program, 20, 2);
  EXPECT_LT(ElapsedUs(start), 100u);
}

TEST_F(LoaderLinkTest, ReplyWaitStopsOnceMoreThanTheLimitHasPassed) {
  const std::uint64_t start = clock.NowUs();
  WaitForReply(program, 20, 2);
  EXPECT_GT(ElapsedUs(start), 20'000u);
  EXPECT_LT(ElapsedUs(start), 22'000u);
}

TEST_F(LoaderLinkTest, ReplyWaitStopsWhenTheCountArrives) {
  link.ArriveAtUs(3'000, "A");
  link.ArriveAtUs(7'000, "!");
  WaitForReply(program, 20, 2);
  EXPECT_GE(clock.NowUs(), 7'000u);
  EXPECT_LT(clock.NowUs(), 7'100u);
}

TEST_F(LoaderLinkTest, ReplyWaitWithNoCountReturnsAtOnce) {
  for (const std::int16_t count : {0, -1}) {
    const std::uint64_t start = clock.NowUs();
    WaitForReply(program, 20, count);
    EXPECT_EQ(ElapsedUs(start), 0u);
  }
}

TEST_F(LoaderLinkTest, ReplyWaitIsNotDisturbedByATickWrap) {
  VirtualClock wrapping(0xFFFFFFF0u);  // 16 ms before the 32-bit tick wraps
  ScriptedLink wrap_link{wrapping};
  Program p{toolkit, wrap_link, wrapping};
  WaitForReply(p, 20, 2);
  EXPECT_GT(wrapping.NowUs(), 20'000u);
  EXPECT_LT(wrapping.NowUs(), 22'000u);
}

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
  EXPECT_GE(ElapsedUs(start), 240'000u);
  EXPECT_LT(ElapsedUs(start), 245'000u);
  EXPECT_EQ(link.read_calls, 2);
}

}  // namespace
}  // namespace trelvin2
