// What trelvin2-cli is asked to do, read from its arguments.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "loader/link_config_record.h"

namespace trelvin2 {

struct CliOptions {
  bool help = false;
  bool list_ports = false;
  std::string port;
  // The settings window's defaults: 115200 baud, 8N1.
  std::string rate_text = "115200";
  std::string framing_text = "8N1";
  LinkSettings settings{8, kProtocol8N1};
  bool repeat = false;
  int repeat_count = 0;  // units to configure with --repeat; 0 for no limit
  bool json = false;
  std::string trace_path;
};

struct ParsedOptions {
  std::optional<CliOptions> options;  // empty on a usage error
  std::string error;                  // the usage error, in German
};

// Options take their value as the next argument or after '=' (--baud 9600, --baud=9600).
// port_name_ok says whether the platform can name a port so; it is asked only for --port.
ParsedOptions ParseCliOptions(const std::vector<std::string>& args,
                              const std::function<bool(std::string_view)>& port_name_ok);

}  // namespace trelvin2
