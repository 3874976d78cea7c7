// A top-level window of the toolkit. Its close box never closes it: the request is handed to
// the program, which decides, and CloseWindow removes the window by deleting it. Its activation
// is reported too.
#pragma once

#include <QWidget>
#include <functional>

namespace trelvin2 {

class ToolkitWindow : public QWidget {
 public:
  ToolkitWindow(std::function<void()> on_close_request, std::function<void()> on_activated);

 protected:
  void closeEvent(QCloseEvent* event) override;
  // Reports the window becoming the active one: a click into it or the window manager's choice.
  void changeEvent(QEvent* event) override;

 private:
  std::function<void()> on_close_request_;
  std::function<void()> on_activated_;
};

}  // namespace trelvin2
