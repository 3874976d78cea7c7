// Where a window's frame goes when it is centred over another window.
#pragma once

#include <windows.h>

namespace trelvin2 {

// The top-left corner of a frame of frame_width x frame_height centred over the frame over.
POINT CentredFramePosition(const RECT& over, int frame_width, int frame_height);

}  // namespace trelvin2
