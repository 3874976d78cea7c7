// The operator's choice of the COM port, at start-up.
#pragma once

#include <string>
#include <string_view>

#include "app/program.h"

namespace trelvin2 {

inline constexpr int kFirstComNumber = 1;
inline constexpr int kLastComNumber = 9;
inline constexpr const char* kLoaderLineSettings = ":19200,n,8,1";
inline constexpr std::int32_t kQueueSize = 1024;
inline constexpr int kFailedOpenPauseMs = 2000;

inline constexpr const char* kNoPortMessage = "Kein COM-PORT installiert!!";
inline constexpr const char* kOpenFailedMessage = "COM-Port konnte nicht geöffnet werden";

// Probes com1 to com9 (open at 19200 8N1, close) and lists the free ones in order; selects the
// first. Returns how many were found. A device the user may not open is named in the port
// window's message ("Kein Zugriff auf ttyUSB0 (Gruppe dialout)").
int PortDiscovery(Program& program);

// The message for a device the user may not open.
std::string PermissionMessage(const SerialLink::AccessDenial& denial);

// Shows the port window until a port is open as the WorkingPort (true), or until a window's
// close box is used (false: the program is to end, no port is open).
bool PortSelection(Program& program);

}  // namespace trelvin2
