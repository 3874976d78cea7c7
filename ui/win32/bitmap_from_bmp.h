// A GDI bitmap made from the bytes of a Windows bitmap file held in memory.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

namespace trelvin2 {

// A device-dependent bitmap of the picture in data (a 24-bit uncompressed BMP file, checked
// against size first), scaled by dpi / 96; nullptr when the bytes are no such file.
HBITMAP BitmapFromBmp(const std::uint8_t* data, std::size_t size, int dpi);

}  // namespace trelvin2
