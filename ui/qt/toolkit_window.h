// A top-level window of the toolkit. Its close box never closes it: the request is handed to
// the program, which decides, and CloseWindow removes the window by deleting it.
#pragma once

#include <QWidget>
#include <functional>

namespace trelvin2 {

class ToolkitWindow : public QWidget {
 public:
  explicit ToolkitWindow(std::function<void()> on_close_request);

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  std::function<void()> on_close_request_;
};

}  // namespace trelvin2
