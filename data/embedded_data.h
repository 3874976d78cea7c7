// The data files compiled into the tool.
#pragma once

#include <cstdint>
#include <span>

namespace trelvin2 {

// The device's program memory below its boot loader, 7680 bytes, offset equal to device address.
std::span<const std::uint8_t> FirmwareBin();

// The main window's banner: a 180 x 20, 24-bit Windows bitmap of 10854 bytes.
std::span<const std::uint8_t> BannerBmp();

}  // namespace trelvin2
