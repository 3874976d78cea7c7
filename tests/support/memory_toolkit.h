// A toolkit that keeps every window and control in memory and replays a script of operator inputs
// on the virtual clock, so the whole program runs inside a test without a display.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/virtual_clock.h"
#include "ui/toolkit.h"

namespace trelvin2 {

class MemoryToolkit : public Toolkit {
 public:
  enum class Kind { kText, kButton, kComboBox, kProgressBar, kImage };

  struct Control {
    int number = 0;
    int window = 0;
    Kind kind = Kind::kText;
    int x = 0, y = 0, width = 0, height = 0;
    std::uint32_t flags = 0;
    std::string text;
    std::vector<std::string> items;  // lists
    std::vector<std::string> hints;  // lists: one per item, "" when none
    int state = 0;                   // progress position, or a list's selected index (-1 none)
    int minimum = 0, maximum = 0;
    int image = 0;
    bool disabled = false;
    int font = 0;  // handle; 0 = the toolkit's default font
    std::optional<std::uint32_t> text_colour, background_colour;
    std::vector<int> state_history;  // every SetControlState value, in order
  };

  struct Window {
    int number = 0;
    int x = 0, y = 0, width = 0, height = 0;
    std::string title;
    std::uint32_t flags = 0;
    int centred_over = -1;  // the window it was centred over, -1 when placed at x, y
  };

  struct Font {
    int number = 0;
    std::string face;
    int points = 0;
    bool bold = false;
    int handle = 0;
  };

  explicit MemoryToolkit(VirtualClock& clock) : clock_(clock) {}

  // Operator inputs, each due at a virtual time in ms; WaitEvent delivers the first one due.
  // A click on a missing or disabled control, or a close of a missing window, delivers nothing.
  void ClickAt(std::uint64_t at_ms, int control);
  void SelectAt(std::uint64_t at_ms, int control, int index);  // picks a list item
  void CloseAt(std::uint64_t at_ms, int window);               // the window's close box
  void FocusAt(std::uint64_t at_ms, int window);  // a click into a window, bringing it to front
  void Click(int control) { ClickAt(0, control); }
  void Select(int control, int index) { SelectAt(0, control, index); }
  void Close(int window) { CloseAt(0, window); }

  // Runs at the start of every WaitEvent, so a test can react to what the program shows.
  std::function<void(MemoryToolkit&)> on_wait;

  const Control* FindControl(int number) const;
  const Window* FindWindow(int number) const;
  const Font* FindFont(int number) const;
  // A control's text ("" when missing); for a list its selected item's text.
  std::string Text(int number) const;

  // When the program waits without a limit and no input is left, the script has run dry: a close
  // request is delivered so that the program ends instead of hanging.
  bool script_ran_dry = false;
  std::vector<int> wait_limits;  // the limit of every WaitEvent, in order
  // Every event WaitEvent handed out, in order: its code and its control (-1 for none).
  std::vector<std::pair<int, int>> events;
  std::vector<std::pair<std::string, std::string>> message_boxes;  // title, text
  std::vector<std::string> status_texts;  // every text the status line (control 4) was given
  std::vector<int> windows_opened;        // in order
  std::vector<int> controls_created;      // in order
  bool released = false;

  // Toolkit
  int OpenWindow(int number, int x, int y, int width, int height, std::string_view title,
                 std::uint32_t flags) override;
  void CloseWindow(int number) override;
  void ActivateWindow(int number) override;
  int ForegroundWindowNumber() override { return foreground_; }
  int WaitEvent(int limit_ms) override;
  int EventWindow() override { return event_window_; }
  int EventControl() override { return event_control_; }
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
  std::string GetControlText(int number) override { return Text(number); }
  int GetControlState(int number) override;
  void ShowMessageBox(std::string_view title, std::string_view text) override;
  int LoadFont(int number, std::string_view face, int points, std::uint32_t flags) override;
  int FontHandle(int number) override;
  int ImageFromMemory(int number, const std::uint8_t* data, std::size_t size) override;
  void ReleaseAll() override;

 private:
  enum class InputKind { kClick, kSelect, kClose, kFocus };
  struct Input {
    std::uint64_t at_us;
    InputKind kind;
    int target;
    int index;
  };

  void Queue(std::uint64_t at_ms, InputKind kind, int target, int index = 0);
  Control* Mutable(int number);
  int Create(Control control);
  // Applies an input; returns the event code, or nullopt when it delivers nothing.
  std::optional<int> Deliver(const Input& input);

  VirtualClock& clock_;
  std::map<int, Window> windows_;
  std::map<int, Control> controls_;
  std::map<int, Font> fonts_;
  std::map<int, int> images_;
  std::vector<Input> inputs_;  // kept in order of due time, stable
  int last_opened_ = -1;
  int foreground_ = -1;
  int event_window_ = -1;
  int event_control_ = -1;
};

}  // namespace trelvin2
