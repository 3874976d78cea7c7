// The product family's device kinds with the loader texts of each. This build serves one kind,
// the Trelvin 2 at index 9; the other rows are carried as data.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace trelvin2 {

struct DeviceProfile {
  std::string name;
  std::string chip;
  std::string baud_rate;
  std::int32_t area_start = 0;
  std::int32_t area_end = 0;
  std::string connect_command;  // may hold any non-zero byte values, sent byte for byte
  std::string connect_reply;
  std::string security_reply;
  std::int16_t aux_value = 0;
  std::int32_t eeprom_start = 0;
  std::int16_t eeprom_last = 0;
};

inline constexpr int kProfileCount = 11;
inline constexpr int kTrelvin2ProfileIndex = 9;
inline constexpr int kEndRowIndex = 10;

using DeviceProfileTable = std::array<DeviceProfile, kProfileCount>;

DeviceProfileTable BuildDeviceProfileTable();

}  // namespace trelvin2
