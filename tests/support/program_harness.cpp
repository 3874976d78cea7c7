#include "tests/support/program_harness.h"

#include <algorithm>
#include <thread>

#include "app/device_profiles.h"
#include "app/program_run.h"
#include "serial/port_selection.h"
#include "ui/settings_flow.h"
#include "ui/windows.h"

namespace trelvin2 {
namespace {

// The main loop waits 100 ms at a time; the connect step's single waits are shorter.
constexpr int kMainLoopWaitMs = 100;

}  // namespace

int RecordingToolkit::WaitEvent(int limit_ms) {
  const auto started = std::chrono::steady_clock::now();
  const int event = MemoryToolkit::WaitEvent(limit_ms);
  if (real_time_ && event == kNoEvent && limit_ms > 0) {
    std::this_thread::sleep_until(started + std::chrono::milliseconds(limit_ms));
  }
  return event;
}

void RecordingToolkit::SetControlText(int number, std::string_view text) {
  const bool shown = FindControl(number) != nullptr;
  MemoryToolkit::SetControlText(number, text);
  if (shown && number == kStatusLine) {
    status_log.push_back({clock_.NowUs(), std::string(text)});
    status_real_times.push_back(std::chrono::steady_clock::now());
  }
}

void RecordingToolkit::ShowMessageBox(std::string_view title, std::string_view text) {
  MemoryToolkit::ShowMessageBox(title, text);
  message_box_log.push_back({clock_.NowUs(), std::string(text)});
}

void RecordingToolkit::ReleaseAll() {
  at_release_ = Snapshot();
  MemoryToolkit::ReleaseAll();
}

RecordingToolkit::MainWindowState RecordingToolkit::MainWindow() const {
  return at_release_ ? *at_release_ : Snapshot();
}

RecordingToolkit::MainWindowState RecordingToolkit::Snapshot() const {
  MainWindowState state;
  state.open = FindWindow(kMainWindow) != nullptr;
  if (const Control* line = FindControl(kStatusLine)) {
    state.status = line->text;
    state.text_colour = line->text_colour;
    state.background_colour = line->background_colour;
  }
  if (const Control* bar = FindControl(kProgressBar)) state.progress = bar->state_history;
  if (const Control* button = FindControl(kStartButton)) state.start_disabled = button->disabled;
  return state;
}

void QueueOperatorScript(MemoryToolkit& toolkit, const OperatorScript& script) {
  toolkit.Click(kPortOkButton);  // com1, the first free port, is selected already
  if (script.rate_position >= 0) toolkit.Select(kRateList, script.rate_position);
  if (script.framing_position >= 0) toolkit.Select(kFramingList, script.framing_position);
  toolkit.Click(kSaveButton);
  toolkit.ClickAt(script.start_press_ms, kStartButton);
}

ProgramHarness::ProgramHarness(sim::Scenario scenario, OperatorScript script)
    : device(std::move(scenario)),
      link(clock, device),
      toolkit(clock),
      program(toolkit, link, clock) {
  QueueOperatorScript(toolkit, script);
  toolkit.on_wait = [this](MemoryToolkit&) {
    if (on_wait) on_wait(*this);
    OperatorStep();
  };
}

bool ProgramHarness::UpdateHasLeftTheConnectPhase() const {
  const MemoryToolkit::Control* bar = toolkit.FindControl(kProgressBar);
  if (bar == nullptr) return false;
  const auto& history = bar->state_history;
  // The connect step starts the bar at full and sets it to 0 when its attempts end.
  const auto full = std::find(history.begin(), history.end(), kProgressMaximum);
  return full != history.end() && std::find(full, history.end(), 0) != history.end();
}

void ProgramHarness::OperatorStep() {
  const std::uint64_t now_ms = clock.NowUs() / 1000;
  if (!gave_up && now_ms > kRunLimitMs) {
    gave_up = true;
    toolkit.Close(kMainWindow);
    return;
  }
  const bool in_main_loop = program.active_profile == kTrelvin2ProfileIndex &&
                            toolkit.wait_limits.back() == kMainLoopWaitMs;
  const MemoryToolkit::Control* button = toolkit.FindControl(kStartButton);
  if (!in_main_loop || button == nullptr || !button->disabled || !UpdateHasLeftTheConnectPhase()) {
    return;
  }
  ++idle_waits;
  if (!idle_after_update_us) {
    idle_after_update_us = clock.NowUs();
    const std::uint64_t next_whole_ms = (clock.NowUs() + 999) / 1000;
    toolkit.CloseAt(next_whole_ms + kOperatorReadsMs, kMainWindow);
  }
}

int ProgramHarness::Run() {
  exit_status = RunProgram(program);
  ended_us = clock.NowUs();
  return exit_status;
}

std::string ProgramHarness::SentBytesFrom(std::uint64_t at_us) const {
  std::string bytes;
  for (const sim::LineByte& byte : device.Transcript()) {
    if (byte.direction == sim::Direction::kToDevice && byte.time_us >= at_us) {
      bytes += static_cast<char>(byte.value);
    }
  }
  return bytes;
}

std::string ProgramHarness::SentBytes() const { return SentBytesFrom(0); }

std::vector<std::uint64_t> ProgramHarness::SentTimesUs() const {
  std::vector<std::uint64_t> times;
  for (const sim::LineByte& byte : device.Transcript()) {
    if (byte.direction == sim::Direction::kToDevice) times.push_back(byte.time_us);
  }
  return times;
}

std::optional<std::uint64_t> ProgramHarness::StatusShownUs(std::string_view text) const {
  for (const RecordingToolkit::Timed& shown : toolkit.status_log) {
    if (shown.text == text) return shown.at_us;
  }
  return std::nullopt;
}

}  // namespace trelvin2
