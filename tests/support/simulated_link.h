// A SerialLink wired straight to a simulated Trelvin 2, on virtual time: the same results and
// time limits as the real link, so a whole update (or a 30-second connect failure) runs in
// milliseconds and the same way every time.
//
//   SerialOpen     names in the port list open (each once at a time: the open is exclusive);
//                  the first name carries the device, the others are ports with nothing attached.
//                  Other names, and names marked busy, yield 0.
//   SerialWrite    puts the bytes on the line, one after the other at 521 us a byte, and
//                  returns at once, as a UART with a kernel buffer does; 1.
//   SerialRead     ends when all N bytes came, 100 ms after the last byte, or 100 + 10 x N ms
//                  after it began, and moves the clock to exactly that moment.
//   SerialBytesWaiting  reply bytes that have arrived by now and are not read yet.
// Every call first costs kCallCostUs of virtual time, so a polling loop moves the clock on.
// After the device's cable is cut (a Scenario fault), every operation on it gives 0. A handle
// that is not open gives 0.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "serial/serial_link.h"
#include "sim/device_model.h"
#include "tests/support/virtual_clock.h"

namespace trelvin2 {

// What one call into the serial driver costs: a system call, a few microseconds.
inline constexpr std::uint64_t kCallCostUs = 5;

class SimulatedLink : public SerialLink {
 public:
  SimulatedLink(VirtualClock& clock, sim::DeviceModel& device,
                std::vector<std::string> port_names = {"com1"});

  // name is held by another program: its open yields 0.
  void MarkBusy(const std::string& name) { busy_.insert(name); }

  PortHandle SerialOpen(std::string_view mode_text, std::int32_t handshake,
                        std::int32_t receive_queue, std::int32_t transmit_queue) override;
  int SerialWrite(PortHandle port, const std::uint8_t* bytes, std::int32_t length) override;
  int SerialRead(PortHandle port, std::uint8_t* buffer, std::int32_t length) override;
  std::int32_t SerialBytesWaiting(PortHandle port) override;
  void SerialClose(PortHandle port) override;

 private:
  bool IsDevicePort(PortHandle port) const;
  bool IsCut() const;
  void TakeArrived();

  VirtualClock& clock_;
  sim::DeviceModel& device_;
  std::vector<std::string> port_names_;
  std::set<std::string> busy_;
  std::map<PortHandle, std::string> open_;  // handle -> port name
  PortHandle next_handle_ = 1;
  std::deque<std::uint8_t> received_;  // reply bytes that have arrived at the tool's port
};

}  // namespace trelvin2
