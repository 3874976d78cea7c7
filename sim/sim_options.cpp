#include "sim/sim_options.h"

#include <charconv>
#include <optional>
#include <string_view>

namespace trelvin2::sim {
namespace {

// A whole decimal number from low to high; nullopt for anything else (signs, units, overflow).
std::optional<unsigned long long> ParseBounded(std::string_view text, unsigned long long low,
                                               unsigned long long high) {
  unsigned long long value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || ec != std::errc() || end != text.data() + text.size() || value < low ||
      value > high) {
    return std::nullopt;
  }
  return value;
}

}  // namespace

bool ParseSimOptions(int argc, const char* const* argv, SimOptions& options, std::string& error) {
  ResetPlan reset{ResetKind::kAfterFirstByte, kDefaultResetAfterMs * 1000ull};
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    const auto value = [&]() -> const char* {
      if (i + 1 >= argc) {
        error = std::string(arg) + " needs a value";
        return nullptr;
      }
      return argv[++i];
    };
    if (arg == "--help" || arg == "-h") {
      options.help = true;
    } else if (arg == "--reset-now") {
      reset = {ResetKind::kImmediate, 0};
    } else if (arg == "--reset-on-key") {
      // Nobody resets the device until the operator presses Enter.
      reset = {ResetKind::kNever, 0};
      options.reset_on_key = true;
    } else if (arg == "--reset-after") {
      const char* text = value();
      if (!text) return false;
      const auto ms = ParseBounded(text, 0, kLongestResetAfterMs);
      if (!ms) {
        error = "--reset-after needs milliseconds from 0 to " +
                std::to_string(kLongestResetAfterMs) + ", not '" + text + "'";
        return false;
      }
      reset = {ResetKind::kAfterFirstByte, *ms * 1000};
    } else if (arg == "--latency") {
      const char* text = value();
      if (!text) return false;
      const auto ms = ParseBounded(text, 1, kLongestLatencyMs);
      if (!ms) {
        error = "--latency needs milliseconds from 1 to " + std::to_string(kLongestLatencyMs) +
                ", not '" + text + "'";
        return false;
      }
      options.scenario.adapter.latency_ms = static_cast<int>(*ms);
    } else if (arg == "--devices") {
      const char* text = value();
      if (!text) return false;
      const auto count = ParseBounded(text, 1, kMostDevices);
      if (!count) {
        error = "--devices needs a count from 1 to " + std::to_string(kMostDevices) + ", not '" +
                text + "'";
        return false;
      }
      options.devices = static_cast<int>(*count);
    } else if (arg == "--fault") {
      const char* text = value();
      if (!text) return false;
      std::string why;
      if (!AddFault(text, options.scenario, why)) {
        error = "--fault " + std::string(text) + ": " + why;
        return false;
      }
    } else if (arg == "--link") {
      const char* text = value();
      if (!text) return false;
      options.link_path = text;
    } else if (arg == "--flash") {
      const char* text = value();
      if (!text) return false;
      options.flash_path = text;
    } else if (arg == "--erased") {
      options.erased = true;
    } else if (arg == "--transcript") {
      options.transcript = true;
    } else if (arg == "--once") {
      options.once = true;
    } else {
      error = "unknown option '" + std::string(arg) + "'";
      return false;
    }
  }
  // "silence" is a device nobody resets, whatever the reset options say.
  if (options.scenario.reset.kind == ResetKind::kNever) {
    options.reset_on_key = false;
  } else {
    options.scenario.reset = reset;
  }
  if (options.devices > 1 && !options.flash_path.empty()) {
    // The file keeps one unit's memory between runs; a row of units each start afresh.
    error = "--flash keeps one device's memory and does not go with --devices";
    return false;
  }
  return true;
}

std::string SimHelp() {
  std::string text = R"(Usage: trelvin2-sim [options]

A Trelvin 2 in software: its boot loader on a pseudo-terminal, at 19200 baud 8N1 line timing.
The first line of output is the pty's path, printed once it is served (and linked); open it
with the tool (or use --link). Bad input gets one line on standard error and exit status 2.

Options:
  --link PATH        make PATH (e.g. /dev/com1) a symlink to the pty; removed at exit. An
                     existing PATH is replaced only when it is a dangling symlink or a link
                     this program made (recorded in /tmp/trelvin2-sim-links) whose maker is gone
  --reset-after MS   the operator resets the device MS ms after the first byte from the tool
                     (default 2000): the loader answers nothing before that
  --reset-now        the device is in its boot loader from the start
  --reset-on-key     the operator resets the device by pressing Enter here
  --flash FILE       keep program memory (8192 bytes) in FILE: read at start if it exists,
                     written at exit (exit status 1 when that fails); FILE must be a regular
                     file of 8192 bytes, or missing in a folder that exists
  --erased           start with erased program memory instead of the firmware image
  --fault FAULT      misbehave as FAULT says (repeatable; see below)
  --latency MS       a USB-serial adapter between device and tool: the device's bytes reach
                     the tool when the adapter's latency timer runs out, every MS ms (1 to 255;
                     FTDI chips default to 16), or when 62 of them fill a USB packet
  --transcript       print every byte in both directions with its time in microseconds
  --once             end after the firmware's start: exit status 0 when its LinkConfigRecord
                     gives a usable setting, 1 otherwise (also 1 when the cable is cut)
  --devices N        serve N devices one after another, as on a production line: after each
                     firmware start the next unit (from the firmware image, or erased with
                     --erased) waits for its reset as the reset options say; each firmware line
                     carries the device's number ("firmware 2: ..."); ends after the Nth start
                     with exit status 0 when every record was usable, 1 otherwise
  --help             this text

On the firmware's start ("S") it prints one line such as
  firmware: 19200 baud 8E1 (BaudCode 5, ProtocolCode 1), divisor 519, 19230.8 baud, +0.16 %
or, with --devices, "firmware N: ..." for the Nth device. When a device is done (or at exit)
it prints what the tool did wrong ("violation: ...", "violation N: ..." with --devices).
It ends on SIGINT, SIGTERM, SIGHUP or SIGPIPE, after --once's or the Nth device's firmware
start, or when a cut fault pulls the cable (the pty then closes).

)";
  text += FaultHelp();
  return text;
}

}  // namespace trelvin2::sim
