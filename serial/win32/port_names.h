// What Windows calls the devices behind the COM names.
#pragma once

#include <string>
#include <string_view>

namespace trelvin2 {

// The friendly name Windows' device manager shows for the port comN ("USB Serial Port"), in
// UTF-8, without the "(COMn)" the system appends; empty when the port is not a device of the
// Ports class (a redirected or virtual port, or Wine's mapped ports).
std::string PortFriendlyName(std::string_view device_name);

// "USB Serial Port (COM3)" -> "USB Serial Port" for "com3"; other texts stay as they are.
std::string WithoutPortSuffix(std::string friendly_name, std::string_view device_name);

}  // namespace trelvin2
