// trelvin2-cli run whole inside a test: its arguments, the console toolkit writing into strings,
// Ctrl-C and Ctrl-D on the virtual clock, and the simulated link to a device model (or a
// production line of them) on the same clock.
#pragma once

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "app/cli/cli_main.h"
#include "serial/port_selection.h"
#include "tests/cli/production_line.h"
#include "tests/cli/virtual_events.h"
#include "tests/support/virtual_clock.h"

namespace trelvin2 {

// The fixed wall clock of the JSON lines.
inline constexpr std::chrono::system_clock::time_point kWallClock{
    std::chrono::sys_days{std::chrono::year{2026} / 12 / 10} + std::chrono::hours{15}};

class CliBench {
 public:
  // units: how many devices come to the line (0: as many as asked for); scenario_of: each
  // unit's faults and reset.
  explicit CliBench(
      int units = 1,
      std::function<sim::Scenario(int)> scenario_of = [](int) { return sim::Scenario{}; })
      : line(clock, units, std::move(scenario_of)),
        events(clock),
        platform(line, clock, events, out, err) {
    platform.port_name_ok = [](std::string_view name) {
      return name.size() == 4 && name.substr(0, 3) == "com" && name[3] >= '1' && name[3] <= '9';
    };
    platform.open_port = [this](const std::string& name) {
      // com1 carries the line; the other names are ports with nothing behind them.
      if (name != "com1" || port_held) return PortHandle{0};
      return line.SerialOpen(name + kLoaderLineSettings, 0, kQueueSize, kQueueSize);
    };
    platform.describe_port = [](const std::string&) { return std::string(); };
    platform.list_ports = [] { return std::vector<PortListing>{}; };
    platform.open_trace = [this](const std::string& path) -> std::unique_ptr<std::ostream> {
      if (path.find("missing-folder/") != std::string::npos) return nullptr;
      return std::make_unique<std::ostream>(&trace);
    };
    platform.now = [] { return kWallClock; };
  }

  int Run(const std::vector<std::string>& args) { return CliMain(args, platform); }

  // Standard output's lines.
  std::vector<std::string> OutLines() const { return Lines(out.str()); }
  std::vector<std::string> ErrLines() const { return Lines(err.str()); }

  static std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }

  VirtualClock clock;
  ProductionLine line;
  VirtualEvents events;
  std::ostringstream out;
  std::ostringstream err;
  std::stringbuf trace;  // what --trace wrote
  CliPlatform platform;
  bool port_held = false;  // another program holds com1
};

}  // namespace trelvin2
