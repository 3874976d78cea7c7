#include "loader/firmware_image.h"

#include <algorithm>

#include "data/embedded_data.h"

namespace trelvin2 {

std::span<const std::uint8_t> FirmwareImage() { return FirmwareBin(); }

void ImageCursor::Skip(std::int16_t count) {
  offset_ = std::clamp(offset_ + count, 0, kFirmwareImageSize);
}

std::uint8_t ImageCursor::NextByte() {
  const auto image = FirmwareImage();
  if (offset_ < 0 || static_cast<std::size_t>(offset_) >= image.size()) return 0xFF;
  return image[static_cast<std::size_t>(offset_++)];
}

}  // namespace trelvin2
