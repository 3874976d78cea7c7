// A serial link with no device behind it: names that open, and a record of every call. For the
// port choice and the start-up paths, where what matters is what was opened and that nothing was
// sent.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "serial/serial_link.h"

namespace trelvin2 {

class FakeSerialLink : public SerialLink {
 public:
  std::set<std::string> free_ports;  // device names that open, e.g. "com2"
  std::vector<std::string> opened;   // every mode text asked for, in order
  std::vector<PortHandle> closed;
  std::vector<std::uint8_t> written;
  std::set<PortHandle> open_handles;

  PortHandle SerialOpen(std::string_view mode_text, std::int32_t, std::int32_t,
                        std::int32_t) override {
    opened.emplace_back(mode_text);
    const std::string name(mode_text.substr(0, mode_text.find(':')));
    if (free_ports.count(name) == 0) return 0;
    const PortHandle handle = next_handle_++;
    open_handles.insert(handle);
    return handle;
  }
  int SerialWrite(PortHandle port, const std::uint8_t* bytes, std::int32_t length) override {
    if (open_handles.count(port) == 0) return 0;
    written.insert(written.end(), bytes, bytes + length);
    return 1;
  }
  int SerialRead(PortHandle port, std::uint8_t*, std::int32_t) override {
    return open_handles.count(port) != 0 ? 1 : 0;
  }
  std::int32_t SerialBytesWaiting(PortHandle) override { return 0; }
  void SerialClose(PortHandle port) override {
    closed.push_back(port);
    open_handles.erase(port);
  }
  std::string DescribePort(std::string_view name) override {
    return "/dev/fake-" + std::string(name);
  }

 private:
  PortHandle next_handle_ = 1;
};

}  // namespace trelvin2
