// --trace: every byte both ways with its millisecond time; the update behind it runs unchanged.
#include <gtest/gtest.h>

#include <algorithm>

#include "app/cli/exit_status.h"
#include "tests/cli/cli_fixture.h"
#include "tests/scenario/scenario_setup.h"

namespace trelvin2 {
namespace {

std::vector<std::string> ByteLines(const std::string& trace, char direction) {
  std::vector<std::string> lines;
  for (const auto& line : CliBench::Lines(trace)) {
    if (line.size() > 11 && line[11] == direction) lines.push_back(line.substr(13));
  }
  return lines;
}

TEST(Trace, EveryByteBothWaysWithItsTime) {
  CliBench bench;
  EXPECT_EQ(bench.Run({"--port", "com1", "--baud", "19200", "--trace", "t.txt"}), kExitSuccess);
  const std::string trace = bench.trace.str();
  const auto lines = CliBench::Lines(trace);
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(lines[0], "         0 # open com1");
  EXPECT_EQ(lines[1], "         0 # Einheit 1");
  EXPECT_EQ(lines[2], "         0 > 44 D");

  const auto sent = ByteLines(trace, '>');
  const auto received = ByteLines(trace, '<');
  EXPECT_EQ(sent.size(), 52u);
  EXPECT_EQ(sent.back(), "53 S");
  EXPECT_EQ(received.size(), 5u + 2 + 2 + 2 + 3 * 6);
  EXPECT_EQ(received.front(), "4C L");
  // The connect reply is read after the connect wait: the first event wait past 1000 ms.
  EXPECT_EQ(lines[3].substr(0, 10), "      1100");
  EXPECT_EQ(bench.line.FirmwareLines()[0].rfind("firmware: 19200 baud 8N1 ", 0), 0u);
}

TEST(Trace, AReplyThatDoesNotComeShowsAsMissing) {
  CliBench bench(1, [](int) { return ScenarioOf({"late:C=1000"}); });
  EXPECT_EQ(bench.Run({"--port", "com1", "--trace", "t.txt"}), kExitEraseRefused);
  const auto received = ByteLines(bench.trace.str(), '<');
  ASSERT_GE(received.size(), 2u);
  EXPECT_EQ(received[received.size() - 2], "--");
  EXPECT_EQ(received.back(), "--");
}

}  // namespace
}  // namespace trelvin2
