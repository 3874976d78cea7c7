// How trelvin2-cli names, opens and lists ports on POSIX.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "app/cli/port_listing.h"
#include "serial/posix/posix_serial_link.h"

namespace trelvin2 {

// com1 to com9 in any case, as the desktop tool maps them, or a path to a device node.
bool CliPortNameOk(std::string_view name);

// Opens com1 to com9 through the link's own mapping, a path as it is; exclusively, at the
// loader's 19200 8N1, with the desktop tool's refusals. 0 when it cannot be opened.
PortHandle OpenCliPort(PosixSerialLink& link, const std::string& name);

// The real device behind a name or path ("/dev/ttyUSB0"), "" when there is none.
std::string DescribeCliPort(PosixSerialLink& link, const std::string& name);

// com1 to com9: the node each stands for and whether it opens. A port is probed as the desktop
// tool's port discovery probes it: opened at 19200 8N1 and closed again.
std::vector<PortListing> ListCliPorts(PosixSerialLink& link, const std::string& lock_dir);

}  // namespace trelvin2
