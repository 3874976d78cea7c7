// Where a window's frame goes when it is centred over another window.
#pragma once

#include <QMargins>
#include <QPoint>
#include <QRect>
#include <QSize>

namespace trelvin2 {

// The top-left corner of a frame around an inner area of inner_size, centred over the frame
// over. The new window has no frame yet: it is taken to get frame margins like those of over.
QPoint CentredFramePosition(const QRect& over, const QSize& inner_size, const QMargins& frame);

}  // namespace trelvin2
