// The cable pulled after every byte the tool sends in a successful update: each cut ends in the
// failure message of the phase it hit, within the time limits, and the program then ends with
// status 0 when the operator closes it.
#include <gtest/gtest.h>

#include "tests/fuzz/whole_program_run.h"

namespace trelvin2 {
namespace {

// A successful update's bytes from the tool, in order, and what a cut after them shows.
struct Phase {
  int last_byte;  // the last byte of the phase, counted from 1
  const char* status;
  bool box;
};
constexpr Phase kPhases[] = {
    {1, kNoLoaderText, true},        // "D": its reply never comes, 30 s of attempts
    {4, kNoLoaderText, false},       // the security code: no answer at all
    {9, kEraseFailedText, false},    // "A" and the address, "C"
    {51, kUpdateFailedText, false},  // three blocks of 14 bytes
    {52, kSuccessText, false},       // "S": every reply came, the firmware starts
};

const Phase& PhaseOf(int byte) {
  for (const Phase& phase : kPhases) {
    if (byte <= phase.last_byte) return phase;
  }
  return kPhases[std::size(kPhases) - 1];
}

int ToolBytes(const WholeRun& run) {
  int count = 0;
  for (const sim::LineByte& byte : run.wire.bytes) {
    count += byte.direction == sim::Direction::kToDevice ? 1 : 0;
  }
  return count;
}

TEST(CablePull, AnUncutUpdateSucceedsWithFiftyTwoBytes) {
  const WholeRun run = RunWholeProgram({});
  EXPECT_EQ(JoinViolations(CheckWholeRun(run)), "");
  EXPECT_EQ(run.outcome.final_status, kSuccessText);
  EXPECT_EQ(ToolBytes(run), kPhases[std::size(kPhases) - 1].last_byte);
}

TEST(CablePull, AfterEveryByteTheUpdateEndsWithItsPhasesMessage) {
  const int total = ToolBytes(RunWholeProgram({}));
  for (int cut = 1; cut <= total; ++cut) {
    SCOPED_TRACE("cut after byte " + std::to_string(cut));
    sim::Scenario scenario;
    scenario.cut_after_bytes = cut;
    const WholeRun run = RunWholeProgram(scenario);
    const Phase& phase = PhaseOf(cut);
    EXPECT_EQ(JoinViolations(CheckWholeRun(run)), "") << DescribeRun(scenario, run, {});
    EXPECT_EQ(run.outcome.final_status, phase.status);
    EXPECT_EQ(run.outcome.message_boxes.size(), phase.box ? 1u : 0u);
    EXPECT_EQ(ToolBytes(run), cut);  // nothing reaches a pulled cable
  }
}

}  // namespace
}  // namespace trelvin2
