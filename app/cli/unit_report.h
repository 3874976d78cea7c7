// Each unit's result: a numbered line for the operator and, with --json, one JSON object a line
// for logs and test rigs.
#pragma once

#include <chrono>
#include <optional>
#include <string>

#include "app/update_outcome.h"

namespace trelvin2 {

struct UnitResult {
  int unit = 0;  // counted from 1
  UpdateOutcome outcome = UpdateOutcome::kNotRun;
  std::string port;
  std::string rate_text;                   // "19200"
  std::string framing_text;                // "8E1"
  std::optional<double> reset_to_start_s;  // from the reset prompt to the start byte, success only
  std::chrono::system_clock::time_point finished;
};

// "Einheit 2: erfolgreich (19200 Baud 8E1, 1.13 s nach der Reset-Aufforderung)".
std::string UnitLine(const UnitResult& result);

// {"unit":2,"result":"success","exit_status":0,"port":"com1","rate":19200,"framing":"8E1",
//  "reset_to_start_s":1.131,"time":"2026-12-10T14:55:01.123Z"}, without a line end.
std::string UnitJson(const UnitResult& result);

// UTC in ISO 8601 with milliseconds.
std::string UtcTimestamp(std::chrono::system_clock::time_point time);

}  // namespace trelvin2
