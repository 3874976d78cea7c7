#include "serial/win32/win32_serial_link.h"

#include <windows.h>

#include <algorithm>
#include <limits>
#include <memory>
#include <new>

#include "serial/win32/port_names.h"

namespace trelvin2 {
namespace {

// The device path "\\.\" + name + NUL is built in a 12-byte buffer: 7 characters at most.
constexpr std::size_t kMaxDeviceNameLength = 7;

std::string_view ModeDeviceName(std::string_view mode_text) {
  return mode_text.substr(0, mode_text.find(':'));
}

COMMTIMEOUTS PortTimeouts() {
  COMMTIMEOUTS timeouts{};
  timeouts.ReadIntervalTimeout = kReadIntervalTimeoutMs;
  timeouts.ReadTotalTimeoutMultiplier = kReadTotalTimeoutMultiplierMs;
  timeouts.ReadTotalTimeoutConstant = kReadTotalTimeoutConstantMs;
  timeouts.WriteTotalTimeoutMultiplier = kWriteTotalTimeoutMultiplierMs;
  timeouts.WriteTotalTimeoutConstant = kWriteTotalTimeoutConstantMs;
  return timeouts;
}

// Line settings from the mode text, then no handshake. Every step that fails leaves the port
// as it is: it stays open and is used with whatever settings it has.
void Configure(HANDLE port, const std::string& mode_text, std::int32_t handshake,
               std::int32_t receive_queue, std::int32_t transmit_queue) {
  if (receive_queue >= 1 && transmit_queue >= 1) {
    SetupComm(port, static_cast<DWORD>(receive_queue), static_cast<DWORD>(transmit_queue));
  }
  DCB dcb{};
  dcb.DCBlength = sizeof(dcb);
  if (!GetCommState(port, &dcb)) return;
  // The parser also turns XON/XOFF and the hardware output flow controls off.
  if (!BuildCommDCBA(mode_text.c_str(), &dcb)) return;
  if (handshake == 0) {
    dcb.fRtsControl = RTS_CONTROL_DISABLE;  // RTS not asserted
    dcb.fOutxCtsFlow = FALSE;
  }
  if (!SetCommState(port, &dcb)) return;
  COMMTIMEOUTS timeouts = PortTimeouts();
  SetCommTimeouts(port, &timeouts);
}

}  // namespace

Win32SerialLink::~Win32SerialLink() {
  for (const auto& [handle, system_handle] : open_ports_) CloseHandle(system_handle);
}

void* Win32SerialLink::SystemHandle(PortHandle port) const {
  const auto found = open_ports_.find(port);
  return found == open_ports_.end() ? nullptr : found->second;
}

PortHandle Win32SerialLink::SerialOpen(std::string_view mode_text, std::int32_t handshake,
                                       std::int32_t receive_queue, std::int32_t transmit_queue) {
  const std::string_view name = ModeDeviceName(mode_text);
  if (name.empty() || name.size() > kMaxDeviceNameLength) return 0;
  // A NUL inside the name would cut the path short and open some other device.
  if (name.find('\0') != std::string_view::npos) return 0;
  const std::string path = "\\\\.\\" + std::string(name);

  // Share mode 0: the port is ours alone while it is open; another program's open fails.
  HANDLE port = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                            0, nullptr);
  if (port == INVALID_HANDLE_VALUE) return 0;
  Configure(port, std::string(mode_text), handshake, receive_queue, transmit_queue);

  const PortHandle handle = next_handle_++;
  open_ports_[handle] = port;
  return handle;
}

int Win32SerialLink::SerialWrite(PortHandle port, const std::uint8_t* bytes, std::int32_t length) {
  HANDLE system_handle = SystemHandle(port);
  if (system_handle == nullptr || length < 0 || (bytes == nullptr && length > 0)) return 0;
  DWORD written = 0;
  if (!WriteFile(system_handle, bytes, static_cast<DWORD>(length), &written, nullptr)) return 0;
  return written == static_cast<DWORD>(length) ? 1 : 0;  // cut short by the write time limit
}

int Win32SerialLink::SerialRead(PortHandle port, std::uint8_t* buffer, std::int32_t length) {
  HANDLE system_handle = SystemHandle(port);
  if (system_handle == nullptr || length < 0 || (buffer == nullptr && length > 0)) return 0;
  if (length == 0) return 1;
  // Read aside and copy only what came, so that the caller's bytes beyond it stay as they were
  // whatever a driver does with the rest of its buffer. A length no memory can hold is an error,
  // not an exception.
  const std::unique_ptr<std::uint8_t[]> received(
      new (std::nothrow) std::uint8_t[static_cast<std::size_t>(length)]);
  if (!received) return 0;
  DWORD count = 0;
  const BOOL ok =
      ReadFile(system_handle, received.get(), static_cast<DWORD>(length), &count, nullptr);
  std::copy_n(received.get(), std::min<DWORD>(count, static_cast<DWORD>(length)), buffer);
  return ok ? 1 : 0;
}

std::int32_t Win32SerialLink::SerialBytesWaiting(PortHandle port) {
  HANDLE system_handle = SystemHandle(port);
  if (system_handle == nullptr) return 0;
  DWORD errors = 0;
  COMSTAT status{};
  // Also clears a pending line error (framing, overrun), which would otherwise stop all I/O.
  if (!ClearCommError(system_handle, &errors, &status)) return 0;
  return static_cast<std::int32_t>(
      std::min<DWORD>(status.cbInQue, std::numeric_limits<std::int32_t>::max()));
}

void Win32SerialLink::SerialClose(PortHandle port) {
  const auto found = open_ports_.find(port);
  if (found == open_ports_.end()) return;
  CloseHandle(found->second);
  open_ports_.erase(found);
}

std::string Win32SerialLink::DescribePort(std::string_view device_name) {
  return PortFriendlyName(device_name);
}

}  // namespace trelvin2
