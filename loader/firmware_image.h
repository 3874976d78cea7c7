// The device's program memory as the tool carries it, and the one read position in it.
#pragma once

#include <cstdint>
#include <span>

namespace trelvin2 {

// 7680 bytes, offset equal to device address 0x0000-0x1DFF; the boot loader lives above.
inline constexpr int kFirmwareImageSize = 0x1E00;

std::span<const std::uint8_t> FirmwareImage();

// The ImageCursor: the programming step skips to its first block and then takes bytes in
// address order. A read at or past the image's end yields 0xFF (erased flash) and leaves the
// cursor where it is, so no caller can ever read outside the image.
class ImageCursor {
 public:
  void Rewind() { offset_ = 0; }
  void Skip(std::int16_t count);
  std::uint8_t NextByte();
  int Offset() const { return offset_; }

 private:
  int offset_ = 0;
};

}  // namespace trelvin2
