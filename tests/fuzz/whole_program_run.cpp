#include "tests/fuzz/whole_program_run.h"

#include "app/program_run.h"
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

Operator::Operator(MemoryToolkit& toolkit, std::function<std::uint64_t()> now_us,
                   std::uint64_t start_press_ms)
    : toolkit_(toolkit), now_us_(std::move(now_us)) {
  toolkit.Click(kPortOkButton);  // com1, the first port found, is selected
  toolkit.Click(kSaveButton);    // the offered 115200 baud, 8N1
  toolkit.ClickAt(start_press_ms, kStartButton);
  toolkit.on_wait = [this](MemoryToolkit& tk) { OnWait(tk); };
}

void Operator::OnWait(MemoryToolkit& tk) {
  const MemoryToolkit::Control* button = tk.FindControl(kStartButton);
  if (closed_ || button == nullptr || !button->disabled) return;
  const std::uint64_t now = now_us_();
  if (!start_us_) start_us_ = now;  // the first wait of the update, right after the press
  const std::string status = tk.Text(kStatusLine);
  const bool idle = tk.wait_limits.back() == kIdleWaitMs && status != kResetRequestText;
  if (!idle && now - *start_us_ <= kHangUs) return;
  if (idle) outcome_.update_duration_us = now - *start_us_;
  outcome_.final_status = status;
  outcome_.message_boxes = tk.message_boxes;
  outcome_.close_request_us = now;
  tk.CloseAt(0, kMainWindow);  // due at once
  closed_ = true;
}

ToolOutcome Operator::Outcome(int exit_status) const {
  ToolOutcome outcome = outcome_;
  outcome.exit_status = exit_status;
  outcome.ended = true;
  if (!closed_) {  // it ended by itself, after a success or without ever idling
    if (start_us_) outcome.update_duration_us = now_us_() - *start_us_;
    outcome.final_status = toolkit_.status_texts.empty() ? "" : toolkit_.status_texts.back();
    outcome.message_boxes = toolkit_.message_boxes;
  }
  return outcome;
}

WholeRun RunWholeProgram(const sim::Scenario& scenario, std::uint64_t start_press_ms,
                         const LinkWrapper& wrap) {
  VirtualClock clock;
  MemoryToolkit toolkit(clock);
  sim::DeviceModel device(scenario);
  SimulatedLink link(clock, device);
  Program program(toolkit, wrap ? wrap(link) : link, clock);
  Operator person(
      toolkit, [&clock] { return clock.NowUs(); }, start_press_ms);

  WholeRun run;
  run.outcome = person.Outcome(RunProgram(program));
  run.wire.bytes = device.Transcript();
  run.wire.tool_byte_delay_us = sim::kByteTimeUs;
  run.status_texts = toolkit.status_texts;
  run.device_violations = device.Violations();
  run.device_sent_reset_noise = !scenario.reset_noise.empty();
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

namespace {

// What a loader complains of when a tool, misled by a forged connect reply, sends its security
// code before the loader saw "D". The wire check still holds the tool to the protocol.
bool OutOfStepAfterForgedReply(const std::string& device_complaint) {
  return device_complaint.find("before the connect command") != std::string::npos ||
         device_complaint.find("wrong security code") != std::string::npos;
}

}  // namespace

std::vector<std::string> CheckWholeRun(const WholeRun& run) {
  std::vector<std::string> violations = CheckUpdate(run.wire, run.outcome);
  if (run.script_ran_dry) violations.push_back("the operator's script ran dry: the program hung");
  for (const sim::Violation& violation : run.device_violations) {
    if (run.device_sent_reset_noise && OutOfStepAfterForgedReply(violation.text)) continue;
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
