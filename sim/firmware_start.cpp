#include "sim/firmware_start.h"

#include <cmath>
#include <cstdio>

namespace trelvin2::sim {
namespace {

std::string FramingOf(std::uint8_t protocol_code) {
  switch (protocol_code) {
    case 0:
      return "8N1";
    case 1:
      return "8E1";
    case 3:
      return "8O1";
    default:
      return {};
  }
}

}  // namespace

FirmwareStart DecodeFirmwareStart(const FlashMemory& flash) {
  FirmwareStart start;
  start.baud_code = flash.At(kBaudCodeAddress);
  start.protocol_code = flash.At(kProtocolCodeAddress);
  start.framing = FramingOf(start.protocol_code);
  if (flash.IsErased(kRecordAddress, kRecordBytes)) {
    start.problem = "the record is erased";
    return start;
  }
  if (start.baud_code >= kDivisorCount) {
    start.problem = "BaudCode " + std::to_string(start.baud_code) + " is above 8";
    return start;
  }
  const std::uint32_t high = kRecordAddress + 2u * start.baud_code;
  start.divisor = static_cast<std::uint16_t>(flash.At(high) << 8 | flash.At(high + 1));
  start.rate = kOscillatorHz / (4.0 * (start.divisor + 1.0));
  double best = 0.0;
  for (int rate : kStandardRates) {
    const double error = (start.rate - rate) / rate * 100.0;
    if (start.standard_rate == 0 || std::fabs(error) < std::fabs(best)) {
      start.standard_rate = rate;
      best = error;
    }
  }
  start.error_percent = best;
  if (start.framing.empty()) {
    start.problem = "ProtocolCode " + std::to_string(start.protocol_code) + " is unknown";
    return start;
  }
  if (std::fabs(start.error_percent) > kUsableRateErrorPercent) {
    char text[96];
    std::snprintf(text, sizeof text, "divisor %u gives %.1f baud, no standard rate within 3 %%",
                  start.divisor, start.rate);
    start.problem = text;
    return start;
  }
  start.usable = true;
  return start;
}

std::string FirmwareStartLine(const FirmwareStart& start, int device) {
  const std::string label = device > 0 ? "firmware " + std::to_string(device) + ": " : "firmware: ";
  char text[200];
  if (!start.usable) {
    std::snprintf(text, sizeof text, "unusable record: %s (BaudCode %u, ProtocolCode %u)",
                  start.problem.c_str(), start.baud_code, start.protocol_code);
    return label + text;
  }
  std::snprintf(text, sizeof text,
                "%d baud %s (BaudCode %u, ProtocolCode %u), divisor %u, %.1f baud, %+.2f %%",
                start.standard_rate, start.framing.c_str(), start.baud_code, start.protocol_code,
                start.divisor, start.rate, start.error_percent);
  return label + text;
}

}  // namespace trelvin2::sim
