// The windows are laid out in pixels of a 96 dpi display. On a denser display every length, font
// and picture is scaled by the display's dots per inch, so the layout keeps its proportions and
// texts stay sharp (the program declares itself DPI-aware in its manifest, so Windows does not
// blow up a blurred bitmap of it instead).
#pragma once

namespace trelvin2 {

inline constexpr int kLayoutDpi = 96;  // the dots per inch the layout's pixels are meant for
inline constexpr int kPointsPerInch = 72;

// length layout pixels at dpi, rounded to the nearest pixel.
constexpr int ScaleToDpi(int length, int dpi) {
  const long long scaled = static_cast<long long>(length) * dpi;
  return static_cast<int>(scaled >= 0 ? (scaled + kLayoutDpi / 2) / kLayoutDpi
                                      : (scaled - kLayoutDpi / 2) / kLayoutDpi);
}

// The character height in pixels of a font of points at dpi (CreateFontW takes it negated).
constexpr int FontPixels(int points, int dpi) {
  return (points * dpi + kPointsPerInch / 2) / kPointsPerInch;
}

}  // namespace trelvin2
