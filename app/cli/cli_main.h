// trelvin2-cli's run: the desktop tool's update, unchanged, behind the console toolkit, for one
// unit or a batch; its outcome as the exit status.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "app/cli/port_listing.h"
#include "app/clock.h"
#include "serial/serial_link.h"
#include "ui/console/console_events.h"

namespace trelvin2 {

// What the run needs from the platform: the three seams' console side, the streams, and how
// ports are named, opened and listed here.
struct CliPlatform {
  CliPlatform(SerialLink& link_in, Clock& clock_in, ConsoleEvents& events_in, std::ostream& out_in,
              std::ostream& err_in)
      : link(link_in), clock(clock_in), events(events_in), out(out_in), err(err_in) {}

  SerialLink& link;
  Clock& clock;
  ConsoleEvents& events;
  std::ostream& out;
  std::ostream& err;
  bool out_is_terminal = false;
  bool err_is_terminal = false;
  // Whether --port may name a port so (com1 to com9, a device path).
  std::function<bool(std::string_view)> port_name_ok;
  // Opens the named port exclusively at the loader's 19200 8N1; 0 when it cannot be opened.
  std::function<PortHandle(const std::string& name)> open_port;
  // What the name stands for ("/dev/ttyUSB0"), "" when nothing more is to tell.
  std::function<std::string(const std::string& name)> describe_port;
  std::function<std::vector<PortListing>()> list_ports;
  // A batch begins: from now on the end of the operator's input ends it (Ctrl-D).
  std::function<void()> batch_started = [] {};
  // Opens the --trace file for writing; nullptr when it cannot be made.
  std::function<std::unique_ptr<std::ostream>(const std::string& path)> open_trace;
  std::function<std::chrono::system_clock::time_point()> now = std::chrono::system_clock::now;
};

// args without the program's name. Returns the exit status (exit_status.h).
int CliMain(const std::vector<std::string>& args, CliPlatform& platform);

// The --help text.
std::string CliHelp();

}  // namespace trelvin2
