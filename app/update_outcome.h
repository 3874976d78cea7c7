// How one run of the update ended, recorded by the steps where they know it, so that a caller
// (the command-line program's exit status, a batch's result line) never has to judge a text.
#pragma once

#include <cstdint>

namespace trelvin2 {

enum class UpdateOutcome {
  kNotRun,          // no update has run yet
  kSucceeded,       // every step acknowledged and the start byte sent
  kNoLoader,        // no connect reply within the 30 seconds
  kCodeRefused,     // the security code was refused or not answered
  kEraseRefused,    // the erase step failed
  kProgramRefused,  // a command of the programming step was refused
  kInterrupted,     // a close request during the connect wait ended the update
};

// What one update left behind besides the status line: its outcome and, for the time from the
// operator's reset prompt to the start byte, the ticks of both.
struct UpdateRecord {
  UpdateOutcome outcome = UpdateOutcome::kNotRun;
  std::uint32_t prompt_tick = 0;      // when the reset prompt was shown
  std::uint32_t start_byte_tick = 0;  // when the start byte went out (success only)
};

}  // namespace trelvin2
