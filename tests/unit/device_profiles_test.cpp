#include "app/device_profiles.h"

#include <gtest/gtest.h>

#include "build_constants.h"

namespace trelvin2 {
namespace {

TEST(DeviceProfileTable, RowsThatMatter) {
  const DeviceProfileTable table = BuildDeviceProfileTable();
  struct Row {
    int index;
    DeviceProfile expected;
  };
  const std::string usb(kUsbConnectCommand.begin(), kUsbConnectCommand.end());
  const Row rows[] = {
      {0, DeviceProfile{}},
      {1, {"Trelvin", "PIC16F88", "38400", 256, 2047, "D", "O", "", 0, 0, 0}},
      {4,
       {"USB-Trelvin", "PIC18F1320", "115200", 0, 7680, usb, "LD=SB", "L!", 4096, 15728640, 255}},
      {8, {"Solmund", "PIC18F1320", "19200", 0, 7552, "D", "LD=SB", "L!", 4096, 15728640, 255}},
      {9, {"Trelvin2", "PIC18F1320", "19200", 0, 7680, "D", "LD=SB", "L!", 4096, 15728640, 255}},
      {10, {"Ende", "Ende", "Ende", 0, 0, "", "", "", 0, 0, 0}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.index);
    const DeviceProfile& got = table[static_cast<std::size_t>(row.index)];
    EXPECT_EQ(got.name, row.expected.name);
    EXPECT_EQ(got.chip, row.expected.chip);
    EXPECT_EQ(got.baud_rate, row.expected.baud_rate);
    EXPECT_EQ(got.area_start, row.expected.area_start);
    EXPECT_EQ(got.area_end, row.expected.area_end);
    EXPECT_EQ(got.connect_command, row.expected.connect_command);
    EXPECT_EQ(got.connect_reply, row.expected.connect_reply);
    EXPECT_EQ(got.security_reply, row.expected.security_reply);
    EXPECT_EQ(got.aux_value, row.expected.aux_value);
    EXPECT_EQ(got.eeprom_start, row.expected.eeprom_start);
    EXPECT_EQ(got.eeprom_last, row.expected.eeprom_last);
  }
}

TEST(DeviceProfileTable, UsbConnectCommandIsStoredWholeByteForByte) {
  const DeviceProfileTable table = BuildDeviceProfileTable();
  ASSERT_EQ(table[4].connect_command.size(), 6u);
  for (std::size_t i = 0; i < 6; ++i) {
    EXPECT_EQ(static_cast<std::uint8_t>(table[4].connect_command[i]), kUsbConnectCommand[i]);
  }
}

TEST(DeviceProfileTable, EveryPic18RowSharesTheLoaderTexts) {
  const DeviceProfileTable table = BuildDeviceProfileTable();
  for (int i = 2; i <= 9; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(table[static_cast<std::size_t>(i)].connect_reply, "LD=SB");
    EXPECT_EQ(table[static_cast<std::size_t>(i)].security_reply, "L!");
    EXPECT_EQ(table[static_cast<std::size_t>(i)].chip.rfind("PIC18", 0), 0u);
  }
}

}  // namespace
}  // namespace trelvin2
