// trelvin2-sim's command line.
#pragma once

#include <string>

#include "sim/scenario.h"

namespace trelvin2::sim {

// The operator presses reset this long after the tool first calls, unless told otherwise: long
// enough for the tool's first connect attempts to go unanswered, as they do at a real bench.
inline constexpr int kDefaultResetAfterMs = 2000;
// No operator waits a day before pressing reset; the bound also keeps the microseconds of the
// model's time line far from overflowing.
inline constexpr unsigned long long kLongestResetAfterMs = 86'400'000;
// An FTDI chip's latency timer takes 1 to 255 ms.
inline constexpr int kLongestLatencyMs = 255;
// A production line's batch, not an endless loop by a typo.
inline constexpr int kMostDevices = 100'000;

struct SimOptions {
  Scenario scenario;          // faults and the reset plan
  std::string link_path;      // --link: a symlink to the pty slave, removed at exit
  std::string flash_path;     // --flash: program memory kept in this file between runs
  bool erased = false;        // --erased: start with erased program memory
  bool transcript = false;    // --transcript: print every byte with its time
  bool once = false;          // --once: end after the (last) device's firmware start
  int devices = 0;            // --devices N: N devices one after another, numbered; 0: one
  bool reset_on_key = false;  // --reset-on-key: Enter on standard input resets the device
  bool help = false;
};

// false, with a reason in error, for a command line that makes no sense.
bool ParseSimOptions(int argc, const char* const* argv, SimOptions& options, std::string& error);

std::string SimHelp();

}  // namespace trelvin2::sim
