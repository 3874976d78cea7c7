// What the tool must hold to whatever the device does, stated once: judged from the bytes on the
// line in both directions and from what the operator was shown. The tool writes into a device's
// flash, so it must never claim a success it did not earn, never write where it should not, and
// always end with one of its fixed messages within its time limits.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "sim/transcript.h"

namespace trelvin2 {

// The update's whole run, from the start button on, cannot last longer than this:
//   connect phase  30 000 ms, checked only after an attempt, so the last attempt may begin just
//                  before the mark and run 1000 ms plus one 100 ms event wait: 31 100 ms;
//   security code  10 ms event wait + 2 + 2 + 10 + 2 + 50 ms pauses + two reads of 110 ms: 296 ms;
//   erase          two acknowledgements, each 20 ms of polling + two 110 ms reads: 480 ms;
//   blocks         nine acknowledgements of 240 ms: 2 160 ms;
//   success        the 3 000 ms the message stays before the program ends.
// That is 37 036 ms; the rest up to 40 s covers the discarding reads of the connect attempts and
// the microseconds every serial call costs.
inline constexpr std::uint64_t kUpdateLimitUs = 40'000'000;

inline constexpr const char* kResetRequestText = "Reset oder Neustart am Trelvin 2 durchführen";
inline constexpr const char* kSuccessText = "Update der Schnittstelle erfogreich beendet";
inline constexpr const char* kNoLoaderText = "Der Loader amtwortet nicht";
inline constexpr const char* kCodeRefusedText = "Der Sicherheits-Code wurde nicht akzeptiert";
inline constexpr const char* kEraseFailedText = "Fehler beim Löschen der Schnittstellen Daten";
inline constexpr const char* kUpdateFailedText = "Fehler beim Update der Schnittstelle";
inline constexpr const char* kNoLoaderBoxTitle = "                         E  R  R  O  R";
inline constexpr const char* kNoLoaderBoxText =
    "Es konnte keine Verbindung zum Loader hergestellt werden!";

// Every byte on the line, in time order. A byte from the tool carries the moment the device side
// saw it, at the earliest tool_byte_delay_us after the tool wrote it (one byte time on the
// simulated line, 0 for a pty stamped as the device reads): a device byte that came later than
// the tool's write cannot have been seen before it.
struct WireRecord {
  std::vector<sim::LineByte> bytes;
  std::uint64_t tool_byte_delay_us = 0;
};

// What the operator saw, and how the program ended.
struct ToolOutcome {
  std::string final_status;  // the status line when the update was over
  std::vector<std::pair<std::string, std::string>> message_boxes;  // title, text
  bool ended = false;                                              // the program returned
  int exit_status = 0;                                             // what it returned
  std::optional<std::uint64_t> update_duration_us;  // start press to success end or idle
  std::optional<std::uint64_t> close_request_us;    // on the wire's time line
};

// The invariants the run broke, each as a readable sentence; empty when it kept all of them.
std::vector<std::string> CheckUpdate(const WireRecord& wire, const ToolOutcome& outcome);

// The list as one text, one violation a line, for test and fuzzer reports.
std::string JoinViolations(const std::vector<std::string>& violations);

}  // namespace trelvin2
