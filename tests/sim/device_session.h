// Drives a DeviceModel the way the tool does, on a time line of its own, and the tool's whole
// successful update as (bytes sent, reply expected) steps.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "build_constants.h"
#include "sim/device_model.h"

namespace trelvin2::sim {

// Long enough for any reply, even a late or split one in these tests.
inline constexpr std::uint64_t kReplyWaitUs = 200'000;

struct DeviceSession {
  explicit DeviceSession(Scenario scenario = {}) : model(std::move(scenario)) {}
  DeviceSession(Scenario scenario, const FlashMemory& flash) : model(std::move(scenario), flash) {}

  // Sends bytes at once (they queue on the line), waits, and returns what came back.
  std::string Talk(std::string_view bytes, std::uint64_t wait_us = kReplyWaitUs) {
    for (char c : bytes) model.Send(static_cast<std::uint8_t>(c), now_us);
    now_us += wait_us;
    std::string reply;
    for (const ReplyByte& byte : model.TakeReplies(now_us)) reply += static_cast<char>(byte.value);
    return reply;
  }

  DeviceModel model;
  std::uint64_t now_us = 0;
};

inline std::string Bytes(std::initializer_list<int> values) {
  std::string bytes;
  for (int v : values) bytes += static_cast<char>(v);
  return bytes;
}

inline std::string SecurityCodeBytes() {
  return Bytes({kSecurityCode[0], kSecurityCode[1], kSecurityCode[2]});
}

inline std::string AddressCommand(std::uint32_t address) {
  // Appended, not "A" + Bytes(...): GCC 12 at -O3 warns about that form (-Wrestrict) wrongly.
  std::string command = "A";
  command += Bytes({static_cast<int>(address & 0xFF), static_cast<int>(address >> 8 & 0xFF),
                    static_cast<int>(address >> 16 & 0xFF)});
  return command;
}

using Step = std::pair<std::string, std::string>;  // bytes to the device, the reply to them

// The tool's successful update: connect, code, erase of 0x1D40, three blocks, "S".
inline std::vector<Step> SuccessfulUpdate(int baud_code, int protocol_code) {
  std::vector<Step> steps = {
      {"D", "LD=SB"}, {SecurityCodeBytes(), "L!"}, {AddressCommand(0x1D40), "A!"}, {"C", "C!"}};
  const std::string blocks[3] = {
      Bytes({0x82, 0x34, 0x20, 0x8C, 0x10, 0x45, 0x08, 0x22}),
      Bytes({0x04, 0x10, 0x02, 0x07, 0x01, 0x03, 0x00, 0xAD}),
      Bytes({0x00, 0x56, baud_code, protocol_code, 0x0A, 0x0A, 0x0A, 0x0A})};
  for (int i = 0; i < 3; ++i) {
    steps.push_back({"B" + blocks[i], "B!"});
    steps.push_back({AddressCommand(0x1D40 + 8 * i), "A!"});
    steps.push_back({"W", "W!"});
  }
  steps.push_back({"S", ""});
  return steps;
}

}  // namespace trelvin2::sim
