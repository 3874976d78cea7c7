// How trelvin2-cli names, opens and lists ports on Windows.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "app/cli/port_listing.h"
#include "serial/win32/win32_serial_link.h"

namespace trelvin2 {

// Any COM name, COM1 to COM255, in any case.
bool CliPortNameOk(std::string_view name);

// Opens the port exclusively at the loader's 19200 8N1, as the desktop tool does. 0 when it
// cannot be opened.
PortHandle OpenCliPort(Win32SerialLink& link, const std::string& name);

// com1 to com9: whether the system knows the name, what device stands behind it, whether it opens.
std::vector<PortListing> ListCliPorts(Win32SerialLink& link);

}  // namespace trelvin2
