// The memory of a long trelvin2-cli batch on the virtual clock: 1000 units on a production line of
// device models (each dropped once done), the heap in use after unit 10, 100 and 1000. A batch
// keeps counts only, so the figures stay flat.
//
//   build/bench_cli_batch_memory [units]
#include <malloc.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "app/cli/cli_main.h"
#include "serial/port_selection.h"
#include "tests/cli/production_line.h"
#include "tests/cli/virtual_events.h"

int main(int argc, char** argv) {
  using namespace trelvin2;
  const int units = argc > 1 ? std::atoi(argv[1]) : 1000;

  VirtualClock clock;
  ProductionLine line(clock, units);
  VirtualEvents events(clock);
  // Output goes nowhere, as a log file's would leave the process.
  std::ostringstream sink_out, sink_err;
  CliPlatform platform(line, clock, events, sink_out, sink_err);
  platform.port_name_ok = [](std::string_view) { return true; };
  platform.open_port = [&](const std::string& name) {
    return line.SerialOpen(name + kLoaderLineSettings, 0, kQueueSize, kQueueSize);
  };
  platform.describe_port = [](const std::string&) { return std::string(); };
  platform.list_ports = [] { return std::vector<PortListing>{}; };
  platform.open_trace = [](const std::string&) { return std::unique_ptr<std::ostream>(); };

  std::size_t heap_at_10 = 0;
  std::size_t heap_at_100 = 0;
  line.on_unit_done = [&](const sim::DeviceModel&) {
    // The streams are emptied with each unit: the figure is the program's, not its log's.
    sink_out.str("");
    sink_err.str("");
    // The test doubles' own records (every pause, every unit's firmware line) are theirs.
    line.firmware_lines.clear();
    clock.pauses_ms.clear();
    clock.pauses_ms.shrink_to_fit();
    const std::size_t in_use = mallinfo2().uordblks;
    if (line.UnitNumber() == 10) heap_at_10 = in_use;
    if (line.UnitNumber() == 100) heap_at_100 = in_use;
  };

  const std::string count = std::to_string(units);
  const int status =
      CliMain({"--port", "com1", "--baud", "9600", "--repeat", count, "--json"}, platform);
  sink_out.str("");
  sink_err.str("");
  const std::size_t heap_at_end = mallinfo2().uordblks;

  std::printf("units: %d, exit status %d, virtual time %.1f s\n", units, status,
              static_cast<double>(clock.NowUs()) / 1e6);
  std::printf("heap in use after unit 10: %zu bytes\n", heap_at_10);
  std::printf("heap in use after unit 100: %zu bytes\n", heap_at_100);
  std::printf("heap in use after unit %d: %zu bytes\n", units, heap_at_end);
  std::printf("growth from unit 10 to the end: %lld bytes\n",
              static_cast<long long>(heap_at_end) - static_cast<long long>(heap_at_10));
  return status;
}
