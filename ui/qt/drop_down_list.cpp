#include "ui/qt/drop_down_list.h"

#include <QAbstractItemView>
#include <QScreen>

namespace trelvin2 {

void DropDownList::showPopup() {
  QComboBox::showPopup();
  QWidget* popup = view()->window();
  if (popup == window()) return;  // no separate popup window: nothing to place
  const QPoint below = mapToGlobal(QPoint(0, height()));
  // Where there is no room below, the list opens upwards, as Qt placed it.
  const QRect room = screen()->availableGeometry();
  if (below.y() + popup->height() <= room.bottom() + 1) popup->move(popup->x(), below.y());
}

}  // namespace trelvin2
