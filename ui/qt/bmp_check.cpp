#include "ui/qt/bmp_check.h"

namespace trelvin2 {
namespace {

// BITMAPFILEHEADER (14 bytes) followed by at least a BITMAPINFOHEADER (40 bytes).
constexpr std::size_t kFileHeaderBytes = 14;
constexpr std::size_t kInfoHeaderBytes = 40;
constexpr std::size_t kOffBitsAt = 10;
constexpr std::size_t kWidthAt = kFileHeaderBytes + 4;
constexpr std::size_t kHeightAt = kFileHeaderBytes + 8;
constexpr std::size_t kBitCountAt = kFileHeaderBytes + 14;
constexpr std::size_t kCompressionAt = kFileHeaderBytes + 16;
constexpr std::uint32_t kUncompressed = 0;  // BI_RGB
constexpr std::uint16_t kBitsPerPixel = 24;
constexpr std::uint64_t kRowAlignmentBytes = 4;  // every pixel row is padded to 4 bytes

std::uint32_t Le32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

std::uint16_t Le16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }

}  // namespace

bool IsWholeUncompressedBmp24(const std::uint8_t* data, std::size_t size) {
  if (data == nullptr || size < kFileHeaderBytes + kInfoHeaderBytes) return false;
  if (data[0] != 'B' || data[1] != 'M') return false;
  if (Le16(data + kBitCountAt) != kBitsPerPixel) return false;
  if (Le32(data + kCompressionAt) != kUncompressed) return false;
  const auto width = static_cast<std::int32_t>(Le32(data + kWidthAt));
  const auto height = static_cast<std::int32_t>(Le32(data + kHeightAt));  // < 0: top-down rows
  if (width <= 0 || height == 0) return false;
  const std::uint64_t row_bytes = (static_cast<std::uint64_t>(width) * 3 + kRowAlignmentBytes - 1) /
                                  kRowAlignmentBytes * kRowAlignmentBytes;
  const std::uint64_t rows =
      height < 0 ? -static_cast<std::int64_t>(height) : static_cast<std::int64_t>(height);
  const std::uint64_t off_bits = Le32(data + kOffBitsAt);
  if (off_bits < kFileHeaderBytes + kInfoHeaderBytes) return false;
  return off_bits + row_bytes * rows <= size;
}

}  // namespace trelvin2
