// A drop-down list that opens below itself, as the platform's lists do. Qt's Fusion style
// would lay the open list over the box, with the selected item where the box was.
#pragma once

#include <QComboBox>

namespace trelvin2 {

class DropDownList : public QComboBox {
 public:
  explicit DropDownList(QWidget* parent) : QComboBox(parent) {}

  void showPopup() override;
};

}  // namespace trelvin2
