#include "tests/cli/production_line.h"

namespace trelvin2 {
namespace {

constexpr PortHandle kPort = 1;

}  // namespace

ProductionLine::ProductionLine(VirtualClock& clock, int units,
                               std::function<sim::Scenario(int)> scenario_of)
    : clock_(clock), units_(units), scenario_of_(std::move(scenario_of)) {
  Plug();
}

void ProductionLine::Plug() {
  ++unit_;
  sim::Scenario scenario = scenario_of_(unit_);
  if (units_ > 0 && unit_ > units_) scenario.reset = {sim::ResetKind::kNever, 0};
  link_.reset();
  device_ = std::make_unique<sim::DeviceModel>(scenario);
  link_ = std::make_unique<SimulatedLink>(clock_, *device_);
  inner_ = open_ ? link_->SerialOpen(mode_text_, 0, 1024, 1024) : 0;
  unit_bytes_ = 0;
  awake_seen_ = false;
}

std::vector<std::string> ProductionLine::FirmwareLines() const {
  std::vector<std::string> lines = firmware_lines;
  if (device_->Firmware()) lines.push_back(sim::FirmwareStartLine(*device_->Firmware()));
  return lines;
}

void ProductionLine::FinishUnit() {
  for (const auto& violation : device_->Violations()) {
    violations.push_back("unit " + std::to_string(unit_) + ": " + violation.text);
  }
  const auto& firmware = device_->Firmware();
  firmware_lines.push_back(firmware ? sim::FirmwareStartLine(*firmware) : "");
  if (on_unit_done) on_unit_done(*device_);
  Plug();
}

PortHandle ProductionLine::SerialOpen(std::string_view mode_text, std::int32_t handshake,
                                      std::int32_t receive_queue, std::int32_t transmit_queue) {
  if (open_) return 0;  // exclusive, as every port
  inner_ = link_->SerialOpen(mode_text, handshake, receive_queue, transmit_queue);
  if (inner_ == 0) return 0;
  open_ = true;
  mode_text_ = mode_text;
  return kPort;
}

int ProductionLine::SerialWrite(PortHandle port, const std::uint8_t* bytes, std::int32_t length) {
  if (!open_ || port != kPort) return 0;
  // The operator takes a unit that is done (its firmware started, or its update failed after the
  // connect) off the bench before the tool calls the next one.
  const sim::LoaderState state = device_->State();
  const bool calling = length == 1 && bytes[0] == 'D';
  const bool done = state == sim::LoaderState::kUnlocked || state == sim::LoaderState::kFirmware ||
                    (state == sim::LoaderState::kAsleep && awake_seen_);
  if (calling && done) FinishUnit();
  const int written = link_->SerialWrite(inner_, bytes, length);
  unit_bytes_ += static_cast<std::uint64_t>(length);
  if (device_->State() != sim::LoaderState::kAsleep) awake_seen_ = true;
  if (on_write) on_write(unit_bytes_);
  return written;
}

int ProductionLine::SerialRead(PortHandle port, std::uint8_t* buffer, std::int32_t length) {
  if (!open_ || port != kPort) return 0;
  return link_->SerialRead(inner_, buffer, length);
}

std::int32_t ProductionLine::SerialBytesWaiting(PortHandle port) {
  if (!open_ || port != kPort) return 0;
  return link_->SerialBytesWaiting(inner_);
}

void ProductionLine::SerialClose(PortHandle port) {
  if (!open_ || port != kPort) return;
  link_->SerialClose(inner_);
  open_ = false;
}

}  // namespace trelvin2
