#include "ui/win32/bitmap_from_bmp.h"

#include <cstring>

#include "ui/qt/bmp_check.h"
#include "ui/win32/dpi_scale.h"

namespace trelvin2 {
namespace {

constexpr std::size_t kFileHeaderBytes = 14;  // BITMAPFILEHEADER; the BITMAPINFOHEADER follows

}  // namespace

HBITMAP BitmapFromBmp(const std::uint8_t* data, std::size_t size, int dpi) {
  // GDI would read past the end of a file whose pixel rows are short.
  if (!IsWholeUncompressedBmp24(data, size)) return nullptr;
  BITMAPFILEHEADER file{};
  std::memcpy(&file, data, sizeof file);
  BITMAPINFO info{};
  std::memcpy(&info.bmiHeader, data + kFileHeaderBytes, sizeof info.bmiHeader);
  info.bmiHeader.biSize = sizeof info.bmiHeader;  // a V4/V5 header: only its first part is used
  const void* pixels = data + file.bfOffBits;
  const int width = info.bmiHeader.biWidth;
  const int height =
      info.bmiHeader.biHeight < 0 ? -info.bmiHeader.biHeight : info.bmiHeader.biHeight;
  const int shown_width = ScaleToDpi(width, dpi);
  const int shown_height = ScaleToDpi(height, dpi);

  HDC screen = GetDC(nullptr);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, shown_width, shown_height);
  HDC memory = CreateCompatibleDC(screen);
  if (bitmap != nullptr && memory != nullptr) {
    HGDIOBJ old = SelectObject(memory, bitmap);
    // HALFTONE averages the pixels when the picture is scaled for a dense display.
    SetStretchBltMode(memory, shown_width == width ? COLORONCOLOR : HALFTONE);
    SetBrushOrgEx(memory, 0, 0, nullptr);
    const int copied = StretchDIBits(memory, 0, 0, shown_width, shown_height, 0, 0, width, height,
                                     pixels, &info, DIB_RGB_COLORS, SRCCOPY);
    SelectObject(memory, old);
    if (copied == 0) {
      DeleteObject(bitmap);
      bitmap = nullptr;
    }
  }
  if (memory != nullptr) DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return bitmap;
}

}  // namespace trelvin2
