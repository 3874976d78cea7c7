// The update rewinds the ImageCursor before every erase, so a second update in the same program
// writes the same record from the image's divisor table, not from wherever the first one left it.
#include <gtest/gtest.h>

#include "app/update_sequence.h"
#include "loader/link_config_record.h"
#include "tests/scenario/scenario_setup.h"
#include "tests/support/program_harness.h"

namespace trelvin2 {
namespace {

TEST(ImageCursor, ASecondUpdateInOneProgramSendsTheSameBytes) {
  ProgramHarness harness(sim::Scenario{}, OperatorScript{5, 0});
  ASSERT_EQ(harness.Run(), 0);
  const std::string first = harness.SentBytes();
  ASSERT_EQ(first, ToolBytesThrough(1, kStartExchange, 5, kProtocol8E1));
  // The programming step read up to the BaudCode's place and left the cursor there.
  EXPECT_EQ(harness.program.image_cursor.Offset(), static_cast<int>(kBaudCodeAddress));

  const std::uint64_t second_start_us = harness.clock.NowUs();
  harness.device.ResetAt(second_start_us);  // back into the loader
  UpdateSequence(harness.program);
  EXPECT_EQ(harness.SentBytesFrom(second_start_us), first);
  ASSERT_TRUE(harness.device.Firmware().has_value());
  EXPECT_EQ(harness.device.Firmware()->baud_code, 5);
  EXPECT_TRUE(harness.device.Violations().empty()) << harness.device.Violations().front().text;
}

}  // namespace
}  // namespace trelvin2
