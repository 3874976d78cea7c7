// The serial link on Linux: termios, non-blocking descriptors and ppoll for the time limits.
#pragma once

#include <map>
#include <string>

#include "serial/posix/uucp_lock.h"
#include "serial/serial_link.h"

namespace trelvin2 {

class PosixSerialLink : public SerialLink {
 public:
  // device_dir holds the nodes and comN aliases (tests use a folder of links to ptys);
  // lock_dir is where serial programs leave their UUCP lock files, ours included.
  explicit PosixSerialLink(std::string device_dir = "/dev", std::string lock_dir = "/var/lock");
  ~PosixSerialLink() override;
  PosixSerialLink(const PosixSerialLink&) = delete;
  PosixSerialLink& operator=(const PosixSerialLink&) = delete;

  PortHandle SerialOpen(std::string_view mode_text, std::int32_t handshake,
                        std::int32_t receive_queue, std::int32_t transmit_queue) override;
  int SerialWrite(PortHandle port, const std::uint8_t* bytes, std::int32_t length) override;
  int SerialRead(PortHandle port, std::uint8_t* buffer, std::int32_t length) override;
  std::int32_t SerialBytesWaiting(PortHandle port) override;
  void SerialClose(PortHandle port) override;
  std::string DescribePort(std::string_view device_name) override;
  AccessDenial LastAccessDenial() override { return last_denial_; }

  // Opens the node at path (/dev/ttyUSB0, a /dev/serial/by-id link) as SerialOpen opens the node
  // of a com name: exclusively, with the same refusals and the line settings after mode_text's
  // ':'. For programs that take a device path from their user.
  PortHandle SerialOpenPath(const std::string& path, std::string_view mode_text);

  // The path comN stands for (an alias such as /dev/com1, or the node), "" when the name is not
  // one of com1 to com9 or has no device.
  std::string DevicePath(std::string_view device_name) const;

 private:
  // The descriptor of an open port, -1 for a handle that is not open.
  int Descriptor(PortHandle port) const;

  struct OpenPort {
    int fd = -1;
    UucpLocks locks;  // our announcement of the hold, gone with the port
  };

  std::string device_dir_;
  std::string lock_dir_;
  // Handles count up from 1 and are never reused, so a stale handle cannot reach a newer port.
  std::map<PortHandle, OpenPort> open_ports_;
  AccessDenial last_denial_;
  PortHandle next_handle_ = 1;
};

}  // namespace trelvin2
