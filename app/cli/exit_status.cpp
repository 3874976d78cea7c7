#include "app/cli/exit_status.h"

namespace trelvin2 {

int ExitStatusOf(UpdateOutcome outcome) {
  switch (outcome) {
    case UpdateOutcome::kSucceeded:
      return kExitSuccess;
    case UpdateOutcome::kNoLoader:
      return kExitNoLoader;
    case UpdateOutcome::kCodeRefused:
      return kExitCodeRefused;
    case UpdateOutcome::kEraseRefused:
      return kExitEraseRefused;
    case UpdateOutcome::kProgramRefused:
      return kExitProgramRefused;
    case UpdateOutcome::kInterrupted:
    case UpdateOutcome::kNotRun:
      break;
  }
  return kExitInterrupted;
}

std::string_view OutcomeName(UpdateOutcome outcome) {
  switch (outcome) {
    case UpdateOutcome::kSucceeded:
      return "success";
    case UpdateOutcome::kNoLoader:
      return "no-loader";
    case UpdateOutcome::kCodeRefused:
      return "code-refused";
    case UpdateOutcome::kEraseRefused:
      return "erase-refused";
    case UpdateOutcome::kProgramRefused:
      return "program-refused";
    case UpdateOutcome::kInterrupted:
    case UpdateOutcome::kNotRun:
      break;
  }
  return "interrupted";
}

std::string_view OutcomeText(UpdateOutcome outcome) {
  switch (outcome) {
    case UpdateOutcome::kSucceeded:
      return "erfolgreich";
    case UpdateOutcome::kNoLoader:
      return "Loader antwortet nicht";
    case UpdateOutcome::kCodeRefused:
      return "Sicherheits-Code nicht angenommen";
    case UpdateOutcome::kEraseRefused:
      return "Löschen abgelehnt";
    case UpdateOutcome::kProgramRefused:
      return "Programmieren abgelehnt";
    case UpdateOutcome::kInterrupted:
    case UpdateOutcome::kNotRun:
      break;
  }
  return "abgebrochen";
}

}  // namespace trelvin2
