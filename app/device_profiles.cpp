#include "app/device_profiles.h"

#include "build_constants.h"

namespace trelvin2 {
namespace {

// Rows 2 to 9 are PIC18 parts with the same loader texts and data EEPROM bounds.
constexpr std::int16_t kPic18Aux = 4096;
constexpr std::int32_t kPic18EepromStart = 0xF00000;  // where Microchip's HEX format puts EEPROM
constexpr std::int16_t kPic18EepromLast = 0xFF;       // 256 bytes of EEPROM

DeviceProfile Pic18Row(const char* name, const char* chip, const char* baud, std::int32_t start,
                       std::int32_t end, std::string connect_command = "D") {
  return DeviceProfile{name,
                       chip,
                       baud,
                       start,
                       end,
                       std::move(connect_command),
                       "LD=SB",
                       "L!",
                       kPic18Aux,
                       kPic18EepromStart,
                       kPic18EepromLast};
}

}  // namespace

DeviceProfileTable BuildDeviceProfileTable() {
  DeviceProfileTable table{};  // row 0 stays empty
  table[1] = DeviceProfile{"Trelvin", "PIC16F88", "38400", 0x100, 0x7FF, "D", "O", "", 0, 0, 0};
  table[2] = Pic18Row("Ostrabel", "PIC18F452", "19200", 0, 0x7D80);
  table[3] = Pic18Row("Quendor", "PIC18F2320", "19200", 0, 0x1D80);
  table[4] = Pic18Row("USB-Trelvin", "PIC18F1320", "115200", 0, 0x1E00,
                      std::string(kUsbConnectCommand.begin(), kUsbConnectCommand.end()));
  table[5] = Pic18Row("Falkrune", "PIC18F4420", "115200", 0, 0x3D80);
  table[6] = Pic18Row("Pellinor", "PIC18F2420", "19200", 0, 0x3D80);
  table[7] = Pic18Row("Dravosk", "PIC18F2420", "38400", 0, 0x3D80);
  table[8] = Pic18Row("Solmund", "PIC18F1320", "19200", 0, 0x1D80);
  table[9] = Pic18Row("Trelvin2", "PIC18F1320", "19200", 0, 0x1E00);
  table[kEndRowIndex].name = "Ende";
  table[kEndRowIndex].chip = "Ende";
  table[kEndRowIndex].baud_rate = "Ende";
  return table;
}

}  // namespace trelvin2
