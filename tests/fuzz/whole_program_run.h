// The whole program on virtual time against a simulated Trelvin 2 that misbehaves as a Scenario
// says: the operator confirms com1 and the offered settings, presses the start button, and closes
// the main window once the program idles after a failure. What came out is judged by the update's
// invariants.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "serial/serial_link.h"
#include "sim/device_model.h"
#include "tests/support/memory_toolkit.h"
#include "tests/support/update_invariants.h"

namespace trelvin2 {

// The operator presses start a little after the main window appeared.
inline constexpr std::uint64_t kStartPressMs = 500;
// A run still updating this long after the start press hangs: twice the update's own limit.
inline constexpr std::uint64_t kHangUs = 2 * kUpdateLimitUs;

// The operator's part in a run: confirms com1 and the offered settings, presses the start button
// at start_press_ms on the toolkit's clock, and closes the main window once the program idles
// after a failure, or has hung. now_us reads the program's own clock.
class Operator {
 public:
  Operator(MemoryToolkit& toolkit, std::function<std::uint64_t()> now_us,
           std::uint64_t start_press_ms);
  // What the operator saw, once RunProgram has returned exit_status.
  ToolOutcome Outcome(int exit_status) const;

 private:
  void OnWait(MemoryToolkit& toolkit);

  MemoryToolkit& toolkit_;
  std::function<std::uint64_t()> now_us_;
  std::optional<std::uint64_t> start_us_;
  bool closed_ = false;
  ToolOutcome outcome_;
};

struct WholeRun {
  WireRecord wire;
  ToolOutcome outcome;
  std::vector<std::string> status_texts;
  std::vector<sim::Violation> device_violations;
  // The device sent bytes of its own at its reset. Noise that happens to read "LD=SB" is a connect
  // reply to every tool that follows the protocol, which then sends its code to a loader still
  // waiting for "D": the device's complaints about that are the device's doing, not the tool's.
  bool device_sent_reset_noise = false;
  bool script_ran_dry = false;
  // A byte of program memory outside the configuration row that is no longer what it was.
  bool flash_changed_outside_row = false;
};

// Puts a link of the test's own between the program and the simulated one; returns the link the
// program is to use.
using LinkWrapper = std::function<SerialLink&(SerialLink& simulated)>;

WholeRun RunWholeProgram(const sim::Scenario& scenario,
                         std::uint64_t start_press_ms = kStartPressMs,
                         const LinkWrapper& wrap = nullptr);

// The invariants, plus what only a whole run can show: the script never ran dry, the device saw
// nothing a correct tool never does, and no flash outside the configuration row changed.
std::vector<std::string> CheckWholeRun(const WholeRun& run);

// The scenario, the violations and the wire, for a report that lets one replay the case.
std::string DescribeRun(const sim::Scenario& scenario, const WholeRun& run,
                        const std::vector<std::string>& violations);

}  // namespace trelvin2
