// How long a whole update takes against trelvin2-sim on a pseudo-terminal (the loader answers
// the first "D"), against the floor the protocol itself sets, and how far apart the three
// security-code bytes go out. Ten runs; the figures are medians. Wire times come from the
// simulator's transcript; the program runs in this process on the POSIX link and the system
// clock, with the memory toolkit pressing the buttons.
//
// Then the same behind a USB-serial adapter's latency timer of 1 and 16 ms (trelvin2-sim
// --latency), and, on virtual time, up to which latency the update still succeeds, with the
// timer at every position against the tool's bytes.
//
//   build/bench_update_time
#include <algorithm>
#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "app/program_run.h"
#include "build_constants.h"
#include "serial/posix/posix_serial_link.h"
#include "serial/posix/system_clock.h"
#include "sim/device_model.h"
#include "tests/support/program_harness.h"
#include "tests/support/sim_child.h"
#include "ui/settings_flow.h"
#include "ui/windows.h"

namespace {

using namespace trelvin2;
using namespace std::chrono_literals;

constexpr int kRuns = 10;
constexpr auto kSimOutputLimit = 5s;

// The floor from the first "D" to "S", from the protocol's own waits and the simulated line:
// the connect wait before the code, the code's pauses (2, 2 + 10, 2 + 50 ms), every byte of the
// erase and the three block exchanges at 19200 baud, and the loader's working time per command.
constexpr double kConnectWaitMs = 1000.0;
constexpr double kCodePausesMs = 2 + 2 + 10 + 2 + 50;
constexpr int kEraseExchangeBytes = 4 + 2 + 1 + 2;          // A+address, A!, C, C!
constexpr int kBlockExchangeBytes = 9 + 2 + 4 + 2 + 1 + 2;  // B+data, B!, A+address, A!, W, W!
constexpr int kExchangeBytes = kEraseExchangeBytes + 3 * kBlockExchangeBytes;
constexpr double kLoaderWorkMs = (sim::kAddressUs + sim::kEraseRowUs +
                                  3 * (sim::kBufferLoadUs + sim::kAddressUs + sim::kWriteBlockUs)) /
                                 1000.0;
constexpr double kFloorMs =
    kConnectWaitMs + kCodePausesMs + kExchangeBytes * (sim::kByteTimeUs / 1000.0) + kLoaderWorkMs;

struct WireByte {
  double ms;
  bool to_device;
  unsigned value;
};

// "     4120839 us  tool -> device  4B 'K'"
std::optional<WireByte> ParseTranscriptLine(const std::string& line) {
  unsigned long long us = 0;
  char from[16] = {}, to[16] = {};
  unsigned value = 0;
  if (std::sscanf(line.c_str(), "%llu us %15s -> %15s %x", &us, from, to, &value) != 4) {
    return std::nullopt;
  }
  return WireByte{static_cast<double>(us) / 1000.0, std::strcmp(from, "tool") == 0, value};
}

struct RunFigures {
  double start_to_s_ms = 0;        // first "D" to "S", on the wire
  double press_to_success_ms = 0;  // start button to the success text, in the tool
  double connect_wait_ms = 0;      // answered "D" to the first code byte
  double code_gap_1_ms = 0, code_gap_2_ms = 0;
};

// latency_ms 0: no adapter.
std::optional<RunFigures> OneRun(int latency_ms) {
  std::vector<std::string> args = {"--reset-now", "--once", "--transcript"};
  if (latency_ms > 0) args.insert(args.end(), {"--latency", std::to_string(latency_ms)});
  SimChild sim(TRELVIN2_SIM_PROGRAM, args, PtyLink::kAsCom1);
  if (!sim.Ready()) return std::nullopt;
  VirtualClock script_clock;
  RecordingToolkit toolkit(script_clock, /*real_time=*/true);
  PosixSerialLink link(sim.DeviceDir(), sim.DeviceDir());
  SystemClock clock;
  Program program(toolkit, link, clock);
  QueueOperatorScript(toolkit, {.rate_position = 5, .framing_position = 0});  // 19200, 8E1
  RunProgram(program);
  if (toolkit.status_log.size() != toolkit.status_real_times.size() ||
      toolkit.MainWindow().status != "Update der Schnittstelle erfogreich beendet") {
    return std::nullopt;
  }

  std::vector<WireByte> to_device;
  for (const std::string& line : sim.ReadRest(kSimOutputLimit)) {
    if (const auto byte = ParseTranscriptLine(line); byte && byte->to_device) {
      to_device.push_back(*byte);
    }
  }
  sim.Wait(kSimOutputLimit);
  // "D"s, then the three code bytes, ..., then "S".
  const auto code = std::find_if(to_device.begin(), to_device.end(),
                                 [](const WireByte& b) { return b.value != 'D'; });
  if (to_device.empty() || code == to_device.begin() || to_device.end() - code < 4 ||
      to_device.back().value != 'S' || code->value != kSecurityCode[0]) {
    return std::nullopt;
  }
  RunFigures figures;
  figures.start_to_s_ms = to_device.back().ms - to_device.front().ms;
  figures.press_to_success_ms =
      std::chrono::duration<double, std::milli>(toolkit.status_real_times.back() -
                                                toolkit.status_real_times.front())
          .count();
  figures.connect_wait_ms = code->ms - (code - 1)->ms;
  figures.code_gap_1_ms = (code + 1)->ms - code->ms;
  figures.code_gap_2_ms = (code + 2)->ms - (code + 1)->ms;
  return figures;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// The adapter's latencies the scan on virtual time tries: every one an FTDI chip takes.
constexpr int kScanLongestLatencyMs = 255;
// Timer positions tried per latency: every millisecond up to this many, evenly spread beyond.
constexpr int kScanPhases = 32;

// The rows printed: the FTDI default, and around the limits of the security answer (~52 ms)
// and of the acknowledgements (~130 ms).
constexpr int kShownLatenciesMs[] = {1,  8,  16, 32,  40,  48,  50,  51,  52,  53,  54,  56,
                                     60, 64, 80, 100, 120, 128, 130, 132, 136, 160, 200, 255};

struct ScanRow {
  int latency_ms = 0;
  int phases = 0;
  int succeeded = 0;
};

ScanRow ScanLatency(int latency_ms) {
  ScanRow row{latency_ms, 0, 0};
  const int step_us = std::max(1, latency_ms * 1000 / kScanPhases);
  for (int phase_us = 0; phase_us < latency_ms * 1000; phase_us += step_us) {
    sim::Scenario scenario;
    scenario.adapter = {latency_ms, static_cast<std::uint64_t>(phase_us)};
    ProgramHarness harness(scenario);
    harness.Run();
    ++row.phases;
    if (harness.device.Firmware() && harness.device.Firmware()->usable) ++row.succeeded;
  }
  return row;
}

double Median(const std::vector<RunFigures>& runs, double RunFigures::*field) {
  std::vector<double> values;
  for (const RunFigures& r : runs) values.push_back(r.*field);
  return Median(values);
}

// Ten runs at one latency (0: no adapter), each printed; the successful ones returned.
std::vector<RunFigures> Runs(int latency_ms) {
  std::vector<RunFigures> runs;
  for (int i = 0; i < kRuns; ++i) {
    const auto figures = OneRun(latency_ms);
    if (!figures) {
      std::printf("%3d  update failed or transcript incomplete\n", i + 1);
      continue;
    }
    std::printf("%3d  %7.1f  %17.1f  %15.1f  %5.2f %5.2f\n", i + 1, figures->start_to_s_ms,
                figures->press_to_success_ms, figures->connect_wait_ms, figures->code_gap_1_ms,
                figures->code_gap_2_ms);
    runs.push_back(*figures);
  }
  return runs;
}

}  // namespace

int main() {
  std::printf("run  D->S ms  press->success ms  connect wait ms  code gaps ms\n");
  const std::vector<RunFigures> runs = Runs(0);
  if (runs.empty()) return 1;
  const double start_to_s = Median(runs, &RunFigures::start_to_s_ms);
  std::printf("\nmedian of %zu runs\n", runs.size());
  std::printf(
      "start button to \"S\" on the wire: %.1f ms (from the first \"D\"; in the tool, "
      "press to success text %.1f ms)\n",
      start_to_s, Median(runs, &RunFigures::press_to_success_ms));
  std::printf(
      "protocol floor: %.1f ms = connect wait %.0f + code pauses %.0f + %d bytes x %.3f ms "
      "+ loader work %.2f ms\n",
      kFloorMs, kConnectWaitMs, kCodePausesMs, kExchangeBytes, sim::kByteTimeUs / 1000.0,
      kLoaderWorkMs);
  std::printf("ratio: %.3f (aim <= 1.05)\n", start_to_s / kFloorMs);
  std::printf("connect wait, answered \"D\" to first code byte: %.1f ms (floor 1000)\n",
              Median(runs, &RunFigures::connect_wait_ms));
  std::printf("code byte gaps: %.2f ms and %.2f ms (aim 2 and 12, each within 1 ms)\n",
              Median(runs, &RunFigures::code_gap_1_ms), Median(runs, &RunFigures::code_gap_2_ms));

  for (const int latency_ms : {1, 16}) {
    std::printf("\nbehind a USB adapter, latency timer %d ms (trelvin2-sim --latency %d)\n",
                latency_ms, latency_ms);
    const std::vector<RunFigures> adapter_runs = Runs(latency_ms);
    if (adapter_runs.empty()) return 1;
    const double adapter_start_to_s = Median(adapter_runs, &RunFigures::start_to_s_ms);
    std::printf("median of %zu runs: start button to \"S\" %.1f ms, %+.1f ms against no adapter\n",
                adapter_runs.size(), adapter_start_to_s, adapter_start_to_s - start_to_s);
  }

  std::printf(
      "\non virtual time: the whole update behind an adapter, the timer at up to %d positions "
      "per latency\nlatency ms  positions  succeeded\n",
      kScanPhases);
  int always_up_to = 0;
  int never_from = 0;
  for (int latency_ms = 1; latency_ms <= kScanLongestLatencyMs; ++latency_ms) {
    const ScanRow row = ScanLatency(latency_ms);
    if (row.succeeded == row.phases && always_up_to == latency_ms - 1) always_up_to = latency_ms;
    if (row.succeeded > 0) never_from = 0;
    if (row.succeeded == 0 && never_from == 0) never_from = latency_ms;
    if (std::find(std::begin(kShownLatenciesMs), std::end(kShownLatenciesMs), latency_ms) !=
        std::end(kShownLatenciesMs)) {
      std::printf("%10d  %9d  %9d\n", row.latency_ms, row.phases, row.succeeded);
    }
  }
  std::printf("every timer position succeeds up to %d ms; ", always_up_to);
  if (never_from > 0) {
    std::printf("none from %d ms on\n", never_from);
  } else {
    std::printf("some still succeed at %d ms\n", kScanLongestLatencyMs);
  }
  return 0;
}
