#include "ui/qt/toolkit_window.h"

#include <QCloseEvent>
#include <QEvent>
#include <utility>

namespace trelvin2 {

ToolkitWindow::ToolkitWindow(std::function<void()> on_close_request,
                             std::function<void()> on_activated)
    : QWidget(nullptr),
      on_close_request_(std::move(on_close_request)),
      on_activated_(std::move(on_activated)) {}

void ToolkitWindow::closeEvent(QCloseEvent* event) {
  event->ignore();
  if (on_close_request_) on_close_request_();
}

}  // namespace trelvin2

namespace trelvin2 {

void ToolkitWindow::changeEvent(QEvent* event) {
  if (event->type() == QEvent::ActivationChange && isActiveWindow() && on_activated_) {
    on_activated_();
  }
  QWidget::changeEvent(event);
}

}  // namespace trelvin2
