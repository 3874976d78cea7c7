// Qt's BMP reader accepts a file whose pixel rows are a few bytes short and fills the gap with
// garbage, so the header is checked against the size before the picture is decoded.
#pragma once

#include <cstddef>
#include <cstdint>

namespace trelvin2 {

// True for a Windows bitmap file of 24 bits per pixel, uncompressed, whose pixel rows all lie
// within the size bytes given.
bool IsWholeUncompressedBmp24(const std::uint8_t* data, std::size_t size);

}  // namespace trelvin2
