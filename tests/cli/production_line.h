// A production line on the virtual clock: one device model after another behind the one port, as
// an operator plugs in the next unit once the last one is done (its firmware started, or its
// update failed after the loader woke), just before the tool calls again. Each unit gets
// its own scenario and starts in its loader (reset at once), and a finished unit is dropped, so a
// batch of any length keeps only the unit on the bench.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "serial/serial_link.h"
#include "sim/device_model.h"
#include "tests/support/simulated_link.h"
#include "tests/support/virtual_clock.h"

namespace trelvin2 {

class ProductionLine : public SerialLink {
 public:
  // scenario_of(n) gives unit n's (from 1) scenario; units beyond `units` never come (a silent
  // line). 0 units: as many as are asked for.
  ProductionLine(
      VirtualClock& clock, int units,
      std::function<sim::Scenario(int)> scenario_of = [](int) { return sim::Scenario{}; });

  // The unit on the bench.
  const sim::DeviceModel& Unit() const { return *device_; }
  int UnitNumber() const { return unit_; }
  // What each unit's firmware made of its record ("firmware: 19200 baud 8E1 ..."), "" for a unit
  // that never started it; the unit on the bench counts once it has started.
  std::vector<std::string> FirmwareLines() const;
  std::vector<std::string> firmware_lines;  // of the units taken off the bench
  // Violations over all units.
  std::vector<std::string> violations;
  // Called after every write with the number of bytes the unit on the bench has received.
  std::function<void(std::uint64_t)> on_write;
  // Called with every unit when it leaves the bench.
  std::function<void(const sim::DeviceModel&)> on_unit_done;

  PortHandle SerialOpen(std::string_view mode_text, std::int32_t handshake,
                        std::int32_t receive_queue, std::int32_t transmit_queue) override;
  int SerialWrite(PortHandle port, const std::uint8_t* bytes, std::int32_t length) override;
  int SerialRead(PortHandle port, std::uint8_t* buffer, std::int32_t length) override;
  std::int32_t SerialBytesWaiting(PortHandle port) override;
  void SerialClose(PortHandle port) override;

  // Takes the finished unit off the bench; the next write meets the next unit.
  void FinishUnit();

 private:
  void Plug();

  VirtualClock& clock_;
  int units_;
  std::function<sim::Scenario(int)> scenario_of_;
  int unit_ = 0;
  std::unique_ptr<sim::DeviceModel> device_;
  std::unique_ptr<SimulatedLink> link_;
  PortHandle inner_ = 0;
  std::uint64_t unit_bytes_ = 0;
  bool awake_seen_ = false;  // the unit on the bench has been in its loader
  std::string mode_text_;
  bool open_ = false;
};

}  // namespace trelvin2
