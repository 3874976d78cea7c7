// Shared by the scenario tests: device scenarios from fault texts, and the tool's bytes of a
// successful update, step by step, to compare the wire with.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "sim/device_model.h"
#include "sim/scenario.h"
#include "tests/sim/device_session.h"

namespace trelvin2 {

inline constexpr std::uint64_t kUsPerMs = 1000;

// A device scenario from faults in trelvin2-sim's text form ("reply:W#2=W?", "crlf", ...). A
// fault text that does not parse fails the test at once, instead of running a faultless device.
inline sim::Scenario ScenarioOf(const std::vector<std::string>& faults, sim::ResetPlan reset = {}) {
  sim::Scenario scenario;
  scenario.reset = reset;
  for (const std::string& fault : faults) {
    std::string error;
    EXPECT_TRUE(sim::AddFault(fault, scenario, error)) << fault << ": " << error;
  }
  return scenario;
}

// The operator resets the device this long after the tool's first "D", as at a real bench.
inline sim::ResetPlan ResetAfterFirstCall(std::uint64_t ms) {
  return {sim::ResetKind::kAfterFirstByte, ms * kUsPerMs};
}

// Index of each exchange in sim::SuccessfulUpdate: what the tool has sent once the exchange's
// command is out.
enum UpdateExchange {
  kConnectExchange = 0,  // "D"
  kCodeExchange,         // the three security-code bytes
  kEraseAddressExchange,
  kEraseExchange,  // "C"
  kBlock1Load,     // "B" and eight bytes, then "A" and the address, then "W"
  kBlock1Address,
  kBlock1Write,
  kBlock2Load,
  kBlock2Address,
  kBlock2Write,
  kSettingsLoad,
  kSettingsAddress,
  kSettingsWrite,
  kStartExchange,  // "S"
};

// The tool's bytes: `connect_attempts` times "D", then every exchange after the connect up to
// and including `last`.
inline std::string ToolBytesThrough(int connect_attempts, UpdateExchange last, int baud_code = 8,
                                    int protocol_code = 0) {
  const auto steps = sim::SuccessfulUpdate(baud_code, protocol_code);
  std::string bytes(static_cast<std::size_t>(connect_attempts), 'D');
  for (int i = kCodeExchange; i <= last; ++i) bytes += steps[static_cast<std::size_t>(i)].first;
  return bytes;
}

// The line as runs of bytes in one direction: '>' to the device, '<' from it, then the bytes.
inline std::vector<std::string> LineRuns(const std::vector<sim::LineByte>& transcript) {
  std::vector<std::string> runs;
  for (const sim::LineByte& byte : transcript) {
    const char arrow = byte.direction == sim::Direction::kToDevice ? '>' : '<';
    if (runs.empty() || runs.back().front() != arrow) runs.push_back(std::string(1, arrow));
    runs.back() += static_cast<char>(byte.value);
  }
  return runs;
}

// The runs of a successful update that the loader answered at its first "D".
inline std::vector<std::string> SuccessfulUpdateRuns(int baud_code, int protocol_code) {
  std::vector<std::string> runs;
  for (const auto& [sent, reply] : sim::SuccessfulUpdate(baud_code, protocol_code)) {
    runs.push_back(">" + sent);
    if (!reply.empty()) runs.push_back("<" + reply);
  }
  return runs;
}

}  // namespace trelvin2
