#include "ui/qt/toolkit_window.h"

#include <QCloseEvent>
#include <utility>

namespace trelvin2 {

ToolkitWindow::ToolkitWindow(std::function<void()> on_close_request)
    : QWidget(nullptr), on_close_request_(std::move(on_close_request)) {}

void ToolkitWindow::closeEvent(QCloseEvent* event) {
  event->ignore();
  if (on_close_request_) on_close_request_();
}

}  // namespace trelvin2
