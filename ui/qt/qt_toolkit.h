// The Toolkit on Qt Widgets: plain QWidget windows, QLabel text and image fields, QPushButton,
// QComboBox and QProgressBar, all on the program's one thread.
#pragma once

#include <QFont>
#include <QImage>
#include <QPointer>
#include <QSocketNotifier>
#include <QWidget>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ui/qt/event_wait.h"
#include "ui/qt/toolkit_window.h"
#include "ui/toolkit.h"

namespace trelvin2 {

class QtToolkit : public Toolkit {
 public:
  // Shows the modal box; the default is a QMessageBox with one OK button over our window.
  using MessageBoxCall = std::function<void(std::string_view title, std::string_view text)>;

  QtToolkit();
  ~QtToolkit() override;
  QtToolkit(const QtToolkit&) = delete;
  QtToolkit& operator=(const QtToolkit&) = delete;

  // Lets a test see the box's texts instead of a dialog that waits for a click.
  void SetMessageBoxCall(MessageBoxCall call) { message_box_ = std::move(call); }

  // fd becomes readable when the program is asked to end from outside its windows (the pipe a
  // signal handler writes to). From then on every WaitEvent reports kCloseRequest at once, and a
  // message box that is open closes, so that the program's own end path runs.
  void WatchCloseRequests(int fd);

  // The widgets behind the numbers, for tests and screenshots; nullptr for an unknown number.
  QWidget* Window(int number) const;
  QWidget* Control(int number) const;

  int OpenWindow(int number, int x, int y, int width, int height, std::string_view title,
                 std::uint32_t flags) override;
  void CloseWindow(int number) override;
  void ActivateWindow(int number) override;
  int ForegroundWindowNumber() override;

  int WaitEvent(int limit_ms) override;
  int EventWindow() override { return last_event_.window; }
  int EventControl() override { return last_event_.control; }

  int CreateTextField(int number, int x, int y, int width, int height, std::string_view text,
                      std::uint32_t flags) override;
  int CreateButton(int number, int x, int y, int width, int height,
                   std::string_view caption) override;
  int CreateComboBox(int number, int x, int y, int width, int height) override;
  int CreateProgressBar(int number, int x, int y, int width, int height, int minimum, int maximum,
                        std::uint32_t flags) override;
  int CreateImageField(int number, int x, int y, int width, int height, int image) override;

  void SetControlText(int number, std::string_view text) override;
  void SetControlFont(int number, int font_handle) override;
  void DisableControl(int number, int disabled) override;
  void SetControlState(int number, int value) override;
  void SetControlColour(int number, int which, std::uint32_t colour) override;
  void AddControlItem(int number, int position, std::string_view text) override;
  void SetControlItemHint(int number, int index, std::string_view hint) override;
  std::string GetControlText(int number) override;
  int GetControlState(int number) override;

  void ShowMessageBox(std::string_view title, std::string_view text) override;

  int LoadFont(int number, std::string_view face, int points, std::uint32_t flags) override;
  int FontHandle(int number) override;
  int ImageFromMemory(int number, const std::uint8_t* data, std::size_t size) override;

  void ReleaseAll() override;

 private:
  struct ControlEntry {
    QPointer<QWidget> widget;  // owned by its window
    int window = -1;
  };

  // The window that new controls go into: the one opened last that still exists.
  ToolkitWindow* CurrentWindow(int* number);
  // Places widget in the current window under number, replacing a control of that number.
  int Adopt(int number, QWidget* widget, int window, int x, int y, int width, int height);
  void DestroyControl(int number);
  // The window to centre over and to carry the message box: the active one of ours, else the
  // one opened last.
  QWidget* ReferenceWindow() const;

  std::map<int, std::unique_ptr<ToolkitWindow>> windows_;
  std::vector<int> opening_order_;  // window numbers, the last opened at the back
  std::map<int, ControlEntry> controls_;

  std::map<int, QFont> fonts_;        // by handle
  std::map<int, int> font_numbers_;   // font number -> handle
  std::map<int, QImage> images_;      // by handle
  std::map<int, int> image_numbers_;  // image number -> handle
  int next_handle_ = 1;               // font and image handles start at 1: 0 means none

  EventWait events_;
  QueuedEvent last_event_;
  // The activation of one of our windows is reported (kWindowActivated) when the program wants
  // another in front and the window manager had already put that one there: so the activations
  // that merely follow the program's own OpenWindow and ActivateWindow stay silent.
  void WantInFront(int number);
  void NoteActivation(int number);
  int wanted_front_ = -1;         // the window opened or activated last by the program
  bool front_confirmed_ = false;  // ... and it has been the active window since

  std::unique_ptr<QSocketNotifier> close_notifier_;
  bool asked_to_end_ = false;  // the watched descriptor became readable
  MessageBoxCall message_box_;
};

}  // namespace trelvin2
