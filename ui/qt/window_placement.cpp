#include "ui/qt/window_placement.h"

namespace trelvin2 {

QPoint CentredFramePosition(const QRect& over, const QSize& inner_size, const QMargins& frame) {
  const int frame_width = inner_size.width() + frame.left() + frame.right();
  const int frame_height = inner_size.height() + frame.top() + frame.bottom();
  return {over.x() + (over.width() - frame_width) / 2,
          over.y() + (over.height() - frame_height) / 2};
}

}  // namespace trelvin2
