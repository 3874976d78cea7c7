// The whole program (start-up, port choice, settings, start button, update, end) inside one test
// process: the memory toolkit plays the operator, the simulated link carries the bytes to a
// device model, and everything runs on one virtual clock, the same way every time.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/program.h"
#include "sim/device_model.h"
#include "sim/scenario.h"
#include "tests/support/memory_toolkit.h"
#include "tests/support/simulated_link.h"
#include "tests/support/virtual_clock.h"

namespace trelvin2 {

// The memory toolkit that also notes when the status line changed and when a message box came,
// and keeps the main window's last state when the program releases its windows at the end.
//
// With real_time set, an event wait that delivers nothing lasts its limit in real time, as a
// window system's does: the program then runs on its own real clock (the connect wait really
// takes its second) while the operator's script still runs on the virtual clock.
class RecordingToolkit : public MemoryToolkit {
 public:
  struct Timed {
    std::uint64_t at_us = 0;  // virtual time
    std::string text;
  };
  struct MainWindowState {
    bool open = false;
    std::string status;
    std::optional<std::uint32_t> text_colour, background_colour;
    std::vector<int> progress;  // every value the progress bar was given
    bool start_disabled = false;
  };

  explicit RecordingToolkit(VirtualClock& clock, bool real_time = false)
      : MemoryToolkit(clock), clock_(clock), real_time_(real_time) {}

  int WaitEvent(int limit_ms) override;
  void SetControlText(int number, std::string_view text) override;
  void ShowMessageBox(std::string_view title, std::string_view text) override;
  void ReleaseAll() override;

  // The main window as it is now, or as it was when the program released it.
  MainWindowState MainWindow() const;

  std::vector<Timed> status_log;       // every status text with the moment it was shown
  std::vector<Timed> message_box_log;  // every message box text with the moment it came
  // Real-time mode: when each status text was shown, on the steady clock.
  std::vector<std::chrono::steady_clock::time_point> status_real_times;

 private:
  MainWindowState Snapshot() const;

  VirtualClock& clock_;
  bool real_time_;
  std::optional<MainWindowState> at_release_;
};

// What the operator does: OK in the port window (the first free port, com1), the rate and
// framing positions in the settings window, "Speichern", then the start button.
struct OperatorScript {
  int rate_position = -1;     // in "300" ... "115200"; -1 leaves the default, 115200
  int framing_position = -1;  // in "8E1", "8O1", "8N1"; -1 leaves the default, 8N1
  std::uint64_t start_press_ms = 0;
};

// Queues the operator's inputs of script on the toolkit, each due as soon as it can be.
void QueueOperatorScript(MemoryToolkit& toolkit, const OperatorScript& script);

class ProgramHarness {
 public:
  // The operator looks at a failure this long before closing the main window.
  static constexpr std::uint64_t kOperatorReadsMs = 5000;
  // Far beyond the longest update (30 s of connect attempts, then a few seconds): a program
  // still running then is stuck, and the harness closes it so that the test ends.
  static constexpr std::uint64_t kRunLimitMs = 300'000;

  explicit ProgramHarness(sim::Scenario scenario = {}, OperatorScript script = {});

  // Runs the whole program; returns its exit status.
  int Run();

  // Called at the start of every event wait, before the harness's own operator steps.
  std::function<void(ProgramHarness&)> on_wait;

  // Results.
  int exit_status = -1;
  std::uint64_t ended_us = 0;  // virtual time when the program returned
  // When the program first waited idle in its main loop after an update that did not end it;
  // the operator then closes the main window kOperatorReadsMs later.
  std::optional<std::uint64_t> idle_after_update_us;
  int idle_waits = 0;    // event waits of the main loop after such an update
  bool gave_up = false;  // kRunLimitMs passed and the harness closed the program

  // Every byte from the tool, in order, as the device received it.
  std::string SentBytes() const;
  // The tool's bytes that reached the device at or after at_us.
  std::string SentBytesFrom(std::uint64_t at_us) const;
  // When the tool's bytes arrived, in order.
  std::vector<std::uint64_t> SentTimesUs() const;
  // When text was first shown in the status line, if ever.
  std::optional<std::uint64_t> StatusShownUs(std::string_view text) const;
  std::vector<std::string> StatusTexts() const { return toolkit.status_texts; }
  RecordingToolkit::MainWindowState MainWindowAtEnd() const { return toolkit.MainWindow(); }

  VirtualClock clock;
  sim::DeviceModel device;
  SimulatedLink link;
  RecordingToolkit toolkit;
  Program program;

 private:
  void OperatorStep();
  bool UpdateHasLeftTheConnectPhase() const;
};

}  // namespace trelvin2
