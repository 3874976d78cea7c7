// trelvin2-cli's exit statuses: one per way a run can end, so that a script can act on it.
#pragma once

#include <string_view>

#include "app/update_outcome.h"

namespace trelvin2 {

enum ExitStatus : int {
  kExitSuccess = 0,
  kExitUsage = 2,  // 1 is left to crashes of the runtime and to shells
  kExitPortNotOpened = 3,
  kExitNoLoader = 4,
  kExitCodeRefused = 5,
  kExitEraseRefused = 6,
  kExitProgramRefused = 7,
  // What shells report for a program ended by Ctrl-C (128 + SIGINT); after SIGTERM or SIGHUP the
  // POSIX program reports 128 + that signal's number instead.
  kExitInterrupted = 130,
};

// The exit status of an update that ended so.
int ExitStatusOf(UpdateOutcome outcome);

// The outcome as a word for the JSON lines ("success", "program-refused", ...).
std::string_view OutcomeName(UpdateOutcome outcome);

// The outcome in German for the result lines ("erfolgreich", "Programmieren abgelehnt", ...).
std::string_view OutcomeText(UpdateOutcome outcome);

}  // namespace trelvin2
