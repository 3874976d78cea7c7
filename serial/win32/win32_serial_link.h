// The serial link on Windows: the communications functions of the system, called directly.
#pragma once

#include <map>
#include <string>

#include "serial/serial_link.h"

namespace trelvin2 {

class Win32SerialLink : public SerialLink {
 public:
  Win32SerialLink() = default;
  ~Win32SerialLink() override;
  Win32SerialLink(const Win32SerialLink&) = delete;
  Win32SerialLink& operator=(const Win32SerialLink&) = delete;

  PortHandle SerialOpen(std::string_view mode_text, std::int32_t handshake,
                        std::int32_t receive_queue, std::int32_t transmit_queue) override;
  int SerialWrite(PortHandle port, const std::uint8_t* bytes, std::int32_t length) override;
  int SerialRead(PortHandle port, std::uint8_t* buffer, std::int32_t length) override;
  std::int32_t SerialBytesWaiting(PortHandle port) override;
  void SerialClose(PortHandle port) override;
  // The name Windows gives the device behind comN ("USB Serial Port"), empty where it has none.
  std::string DescribePort(std::string_view device_name) override;

 private:
  // The system handle of an open port, nullptr for a handle that is not open.
  void* SystemHandle(PortHandle port) const;

  // Handles count up from 1 and are never reused, so a stale handle cannot reach a newer port,
  // and a number the program never got from SerialOpen reaches no system handle at all.
  std::map<PortHandle, void*> open_ports_;
  PortHandle next_handle_ = 1;
};

}  // namespace trelvin2
