// The embedded image of the device's program memory and the one read position in it.
#include "loader/firmware_image.h"

#include <gtest/gtest.h>

#include "loader/link_config_record.h"

namespace trelvin2 {
namespace {

std::vector<std::uint8_t> Bytes(int from, int count) {
  const auto image = FirmwareImage();
  return {image.begin() + from, image.begin() + from + count};
}

TEST(FirmwareImageTest, SpansTheApplicationAreaBelowTheBootLoader) {
  EXPECT_EQ(FirmwareImage().size(), 7680u);
}

TEST(FirmwareImageTest, RecordHoldsTheNineDivisorsHighByteFirstAndTheDefaultCodes) {
  EXPECT_EQ(Bytes(kRecordAddress, 18),
            (std::vector<std::uint8_t>{0x82, 0x34, 0x20, 0x8C, 0x10, 0x45, 0x08, 0x22, 0x04, 0x10,
                                       0x02, 0x07, 0x01, 0x03, 0x00, 0xAD, 0x00, 0x56}));
  EXPECT_EQ(FirmwareImage()[kBaudCodeAddress], 8);  // 115200
  EXPECT_EQ(FirmwareImage()[kProtocolCodeAddress], kProtocol8N1);
  EXPECT_EQ(Bytes(0x1D54, 0x2C), std::vector<std::uint8_t>(0x2C, 0xFF));  // rest of the row erased
}

TEST(FirmwareImageTest, ResetVectorIsANoOpThenAJumpAndTheInterruptVectorsStayEmpty) {
  // nop (0x0000), goto 0x0020 (0xEF10 0xF000), low byte first
  EXPECT_EQ(Bytes(0, 6), (std::vector<std::uint8_t>{0x00, 0x00, 0x10, 0xEF, 0x00, 0xF0}));
  EXPECT_EQ(Bytes(0x06, 0x1A), std::vector<std::uint8_t>(0x1A, 0xFF));
}

TEST(ImageCursorTest, SkipThenNextByteReadsInAddressOrder) {
  ImageCursor cursor;
  cursor.Skip(0x1D40);
  EXPECT_EQ(cursor.NextByte(), 0x82);
  EXPECT_EQ(cursor.NextByte(), 0x34);
  EXPECT_EQ(cursor.Offset(), 0x1D42);
  cursor.Rewind();
  EXPECT_EQ(cursor.Offset(), 0);
  EXPECT_EQ(cursor.NextByte(), FirmwareImage()[0]);
}

TEST(ImageCursorTest, ReadAtTheEndYieldsErasedFlashWithoutMoving) {
  ImageCursor cursor;
  cursor.Skip(0x1DFF);
  EXPECT_EQ(cursor.NextByte(), FirmwareImage()[0x1DFF]);
  EXPECT_EQ(cursor.Offset(), kFirmwareImageSize);
  EXPECT_EQ(cursor.NextByte(), 0xFF);
  EXPECT_EQ(cursor.NextByte(), 0xFF);
  EXPECT_EQ(cursor.Offset(), kFirmwareImageSize);
  cursor.Skip(100);  // no skip carries it beyond the end
  EXPECT_EQ(cursor.Offset(), kFirmwareImageSize);
}

}  // namespace
}  // namespace trelvin2
