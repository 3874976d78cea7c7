// The toolkit's colours are Windows COLORREF values, 0x00BBGGRR.
#pragma once

#include <QColor>
#include <cstdint>

namespace trelvin2 {

inline QColor ColourFromBgr(std::uint32_t colour) {
  return QColor(static_cast<int>(colour & 0xFF), static_cast<int>(colour >> 8 & 0xFF),
                static_cast<int>(colour >> 16 & 0xFF));
}

}  // namespace trelvin2
