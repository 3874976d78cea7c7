#include "data/embedded_data.h"

#include <cstddef>

extern const unsigned char trelvin2_firmware_bin[];
extern const std::size_t trelvin2_firmware_bin_size;
extern const unsigned char trelvin2_banner_bmp[];
extern const std::size_t trelvin2_banner_bmp_size;

namespace trelvin2 {

std::span<const std::uint8_t> FirmwareBin() {
  return {trelvin2_firmware_bin, trelvin2_firmware_bin_size};
}

std::span<const std::uint8_t> BannerBmp() {
  return {trelvin2_banner_bmp, trelvin2_banner_bmp_size};
}

}  // namespace trelvin2
