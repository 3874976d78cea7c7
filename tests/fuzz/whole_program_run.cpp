#include "tests/fuzz/whole_program_run.h"

#include "app/program_run.h"
#include "tests/support/memory_toolkit.h"
#include "tests/support/simulated_link.h"
#include "ui/windows.h"

namespace trelvin2 {
namespace {

// The main loop's event wait; the connect wait uses the same limit, but shows the reset request
// in the status line all the while.
constexpr int kIdleWaitMs = 100;
// The configuration row, the one the tool erases and writes.
constexpr std::uint32_t kRowStart = 0x1D40;
constexpr std::uint32_t kRowEnd = kRowStart + sim::kEraseRowBytes;

}  // namespace

WholeRun RunWholeProgram(const sim::Scenario& scenario, std::uint64_t start_press_ms,
                         const LinkWrapper& wrap) {
  VirtualClock clock;
  MemoryToolkit toolkit(clock);
  sim::DeviceModel device(scenario);
  SimulatedLink link(clock, device);
  Program program(toolkit, wrap ? wrap(link) : link, clock);

  toolkit.Click(kPortOkButton);  // com1, the first and only port found, is selected
  toolkit.Click(kSaveButton);    // the offered 115200 baud, 8N1
  toolkit.ClickAt(start_press_ms, kStartButton);

  WholeRun run;
  const std::uint64_t start_us = start_press_ms * 1000;
  bool closed = false;
  toolkit.on_wait = [&](MemoryToolkit& tk) {
    const MemoryToolkit::Control* button = tk.FindControl(kStartButton);
    if (closed || button == nullptr || !button->disabled) return;
    const std::string status = tk.Text(kStatusLine);
    const bool idle = tk.wait_limits.back() == kIdleWaitMs && status != kResetRequestText;
    const bool hung = clock.NowUs() - start_us > kHangUs;
    if (!idle && !hung) return;
    if (idle) run.outcome.update_duration_us = clock.NowUs() - start_us;
    run.outcome.final_status = status;
    run.outcome.message_boxes = tk.message_boxes;
    run.outcome.close_request_us = clock.NowUs();
    tk.CloseAt(clock.NowUs() / 1000, kMainWindow);
    closed = true;
  };

  run.outcome.exit_status = RunProgram(program);
  run.outcome.ended = true;
  if (!closed) {  // it ended by itself, after a success or without ever idling
    run.outcome.update_duration_us = clock.NowUs() - start_us;
    run.outcome.final_status = toolkit.status_texts.empty() ? "" : toolkit.status_texts.back();
    run.outcome.message_boxes = toolkit.message_boxes;
  }
  run.wire.bytes = device.Transcript();
  run.wire.tool_byte_delay_us = sim::kByteTimeUs;
  run.status_texts = toolkit.status_texts;
  run.device_violations = device.Violations();
  run.script_ran_dry = toolkit.script_ran_dry;

  const sim::DeviceModel untouched;
  const auto before = untouched.Flash().Bytes();
  const auto after = device.Flash().Bytes();
  for (std::uint32_t address = 0; address < before.size(); ++address) {
    if ((address < kRowStart || address >= kRowEnd) && before[address] != after[address]) {
      run.flash_changed_outside_row = true;
    }
  }
  return run;
}

std::vector<std::string> CheckWholeRun(const WholeRun& run) {
  std::vector<std::string> violations = CheckUpdate(run.wire, run.outcome);
  if (run.script_ran_dry) violations.push_back("the operator's script ran dry: the program hung");
  for (const sim::Violation& violation : run.device_violations) {
    violations.push_back("the device saw: " + violation.text);
  }
  if (run.flash_changed_outside_row) {
    violations.push_back("program memory outside the row 0x1D40-0x1D7F changed");
  }
  return violations;
}

std::string DescribeRun(const sim::Scenario& scenario, const WholeRun& run,
                        const std::vector<std::string>& violations) {
  std::string text = "scenario: reset kind " +
                     std::to_string(static_cast<int>(scenario.reset.kind)) + " at " +
                     std::to_string(scenario.reset.time_us) + " us";
  if (!scenario.reset_noise.empty()) text += ", noise=" + sim::EscapeBytes(scenario.reset_noise);
  if (scenario.cut_after_bytes > 0) text += ", cut=" + std::to_string(scenario.cut_after_bytes);
  for (const sim::ReplyFault& fault : scenario.reply_faults) text += ", " + sim::FaultText(fault);
  text += "\nstatus texts:";
  for (const std::string& status : run.status_texts) text += " [" + status + "]";
  text += "\nviolations:\n" + JoinViolations(violations) + "wire:\n";
  for (const sim::LineByte& byte : run.wire.bytes) text += sim::TranscriptLine(byte) + "\n";
  return text;
}

}  // namespace trelvin2
