#include "tests/support/simulated_link.h"

#include <algorithm>

namespace trelvin2 {

SimulatedLink::SimulatedLink(VirtualClock& clock, sim::DeviceModel& device,
                             std::vector<std::string> port_names)
    : clock_(clock), device_(device), port_names_(std::move(port_names)) {}

PortHandle SimulatedLink::SerialOpen(std::string_view mode_text, std::int32_t /*handshake*/,
                                     std::int32_t /*receive_queue*/,
                                     std::int32_t /*transmit_queue*/) {
  clock_.AdvanceUs(kCallCostUs);
  const std::string name(mode_text.substr(0, mode_text.find(':')));
  const bool exists = std::find(port_names_.begin(), port_names_.end(), name) != port_names_.end();
  const bool held =
      busy_.contains(name) || std::any_of(open_.begin(), open_.end(),
                                          [&](const auto& entry) { return entry.second == name; });
  if (name.empty() || !exists || held) return 0;
  const PortHandle handle = next_handle_++;
  open_[handle] = name;
  if (IsDevicePort(handle)) {
    // A port opened afresh holds nothing of what came while it was closed.
    device_.TakeReplies(clock_.NowUs());
    received_.clear();
  }
  return handle;
}

bool SimulatedLink::IsDevicePort(PortHandle port) const {
  const auto it = open_.find(port);
  return it != open_.end() && !port_names_.empty() && it->second == port_names_.front();
}

bool SimulatedLink::IsCut() const {
  const auto cut = device_.CutUs();
  return cut && clock_.NowUs() >= *cut;
}

void SimulatedLink::TakeArrived() {
  for (const sim::ReplyByte& byte : device_.TakeReplies(clock_.NowUs())) {
    received_.push_back(byte.value);
  }
}

int SimulatedLink::SerialWrite(PortHandle port, const std::uint8_t* bytes, std::int32_t length) {
  clock_.AdvanceUs(kCallCostUs);
  if (!open_.contains(port)) return 0;
  if (!IsDevicePort(port)) return 1;  // nothing listens, but the UART sends all the same
  if (IsCut()) return 0;
  for (std::int32_t i = 0; i < length; ++i) device_.Send(bytes[i], clock_.NowUs());
  return 1;
}

int SimulatedLink::SerialRead(PortHandle port, std::uint8_t* buffer, std::int32_t length) {
  clock_.AdvanceUs(kCallCostUs);
  if (!open_.contains(port)) return 0;
  const bool device = IsDevicePort(port);
  if (device && IsCut()) return 0;
  const std::uint64_t deadline_us =
      clock_.NowUs() +
      1000ull * (kReadTotalTimeoutConstantMs +
                 kReadTotalTimeoutMultiplierMs * static_cast<std::uint64_t>(std::max(length, 0)));
  std::int32_t got = 0;
  std::uint64_t last_byte_us = 0;
  while (got < length) {
    if (device) TakeArrived();
    if (!received_.empty() && device) {
      buffer[got++] = received_.front();
      received_.pop_front();
      last_byte_us = clock_.NowUs();
      continue;
    }
    std::uint64_t limit_us = deadline_us;
    if (got > 0)
      limit_us = std::min<std::uint64_t>(limit_us, last_byte_us + 1000ull * kReadIntervalTimeoutMs);
    const auto cut = device ? device_.CutUs() : std::nullopt;
    const auto next = device ? device_.NextReplyUs() : std::nullopt;
    if (cut && *cut <= limit_us && (!next || *cut < *next)) {
      clock_.AdvanceToUs(*cut);  // the line went dead during the read: a hang-up
      return 0;
    }
    if (!next || *next > limit_us) {
      clock_.AdvanceToUs(limit_us);
      return 1;
    }
    clock_.AdvanceToUs(*next);
  }
  return 1;
}

std::int32_t SimulatedLink::SerialBytesWaiting(PortHandle port) {
  clock_.AdvanceUs(kCallCostUs);
  if (!IsDevicePort(port) || IsCut()) return 0;
  TakeArrived();
  return static_cast<std::int32_t>(received_.size());
}

void SimulatedLink::SerialClose(PortHandle port) {
  clock_.AdvanceUs(kCallCostUs);
  open_.erase(port);
}

}  // namespace trelvin2
