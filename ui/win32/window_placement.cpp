#include "ui/win32/window_placement.h"

namespace trelvin2 {

POINT CentredFramePosition(const RECT& over, int frame_width, int frame_height) {
  const LONG over_width = over.right - over.left;
  const LONG over_height = over.bottom - over.top;
  return {over.left + (over_width - frame_width) / 2, over.top + (over_height - frame_height) / 2};
}

}  // namespace trelvin2
