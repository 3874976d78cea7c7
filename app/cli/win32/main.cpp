// trelvin2-cli.exe: the desktop tool's update from a console window, for scripts and production
// lines. A console program: Ctrl-C and Ctrl-Break are a close request.
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <iostream>
#include <memory>

#include "app/cli/cli_main.h"
#include "app/cli/win32/port_access.h"
#include "serial/win32/system_clock.h"
#include "serial/win32/win32_serial_link.h"
#include "ui/console/win32/console_ctrl_events.h"

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  // The texts are UTF-8; the console shows them so only with its code page set.
  SetConsoleOutputCP(CP_UTF8);

  trelvin2::Win32SerialLink link;
  trelvin2::SystemClock clock;
  trelvin2::ConsoleCtrlEvents events;

  trelvin2::CliPlatform platform(link, clock, events, std::cout, std::cerr);
  platform.out_is_terminal = _isatty(_fileno(stdout)) != 0;
  platform.err_is_terminal = _isatty(_fileno(stderr)) != 0;
  platform.port_name_ok = trelvin2::CliPortNameOk;
  platform.open_port = [&](const std::string& name) { return trelvin2::OpenCliPort(link, name); };
  platform.describe_port = [&](const std::string& name) { return link.DescribePort(name); };
  platform.list_ports = [&] { return trelvin2::ListCliPorts(link); };
  platform.open_trace = [](const std::string& path) -> std::unique_ptr<std::ostream> {
    auto file = std::make_unique<std::ofstream>(path);
    if (!*file) return nullptr;
    return file;
  };
  return trelvin2::CliMain(args, platform);
}
