// Device behaviour the fuzzer found, kept as cases of their own.
#include <gtest/gtest.h>

#include "tests/fuzz/whole_program_run.h"

namespace trelvin2 {
namespace {

// Found by scripts/fuzz: the device resets 540 ms into the first attempt and its reset noise
// reads "LD=SB". The tool, which counts the waiting bytes only at the end of the wait, takes the
// noise for the connect reply and sends its code to a loader that is still waiting for "D". The
// loader answers nothing, and the tool must report the silence, not hang or claim success.
TEST(FuzzFinds, ResetNoiseThatReadsLikeTheConnectReply) {
  sim::Scenario scenario;
  scenario.reset = {sim::ResetKind::kAtTime, 540'000};
  scenario.reset_noise = "LD=SB";
  const WholeRun run = RunWholeProgram(scenario, /*start_press_ms=*/0);
  EXPECT_EQ(JoinViolations(CheckWholeRun(run)), "") << DescribeRun(scenario, run, {});
  EXPECT_EQ(run.outcome.final_status, kNoLoaderText);
  EXPECT_TRUE(run.outcome.message_boxes.empty());
  EXPECT_FALSE(run.device_violations.empty());  // the loader did see the code out of turn
}

}  // namespace
}  // namespace trelvin2
