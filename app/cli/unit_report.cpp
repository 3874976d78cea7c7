#include "app/cli/unit_report.h"

#include <cstdio>

#include "app/cli/exit_status.h"

namespace trelvin2 {
namespace {

std::string JsonString(std::string_view text) {
  std::string quoted = "\"";
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      quoted += '\\';
      quoted += c;
    } else if (byte < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
      quoted += escaped;
    } else {
      quoted += c;  // UTF-8 passes as it is
    }
  }
  return quoted + '"';
}

}  // namespace

std::string UnitLine(const UnitResult& result) {
  std::string line =
      "Einheit " + std::to_string(result.unit) + ": " + std::string(OutcomeText(result.outcome));
  if (result.reset_to_start_s) {
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.2f", *result.reset_to_start_s);
    line += " (" + result.rate_text + " Baud " + result.framing_text + ", " + seconds +
            " s nach der Reset-Aufforderung)";
  } else {
    line += " (Exit-Status " + std::to_string(ExitStatusOf(result.outcome)) + ")";
  }
  return line;
}

std::string UnitJson(const UnitResult& result) {
  std::string json = "{\"unit\":" + std::to_string(result.unit) +
                     ",\"result\":" + JsonString(OutcomeName(result.outcome)) +
                     ",\"exit_status\":" + std::to_string(ExitStatusOf(result.outcome)) +
                     ",\"port\":" + JsonString(result.port) + ",\"rate\":" + result.rate_text +
                     ",\"framing\":" + JsonString(result.framing_text) + ",\"reset_to_start_s\":";
  if (result.reset_to_start_s) {
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.3f", *result.reset_to_start_s);
    json += seconds;
  } else {
    json += "null";
  }
  return json + ",\"time\":" + JsonString(UtcTimestamp(result.finished)) + "}";
}

std::string UtcTimestamp(std::chrono::system_clock::time_point time) {
  using namespace std::chrono;
  const auto ms = floor<milliseconds>(time);
  const auto day = floor<days>(ms);
  const year_month_day date(day);
  const hh_mm_ss clock(ms - day);
  char text[40];
  std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02d:%02d:%02d.%03dZ", int(date.year()),
                unsigned(date.month()), unsigned(date.day()), int(clock.hours().count()),
                int(clock.minutes().count()), int(clock.seconds().count()),
                int(clock.subseconds().count()));
  return text;
}

}  // namespace trelvin2
