// The window toolkit the program is written against: numbered windows and controls, an event
// wait with a time limit, a modal message box, fonts and images by number.
//
// Control numbers form one space across all windows. Controls are created in the window opened
// last. An operation on a number that no existing window or control carries does nothing.
// Every change of a control's text, value or colour is drawn at once, since the program's one
// thread may be busy with the device for seconds before it next waits for events.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace trelvin2 {

// Event codes of WaitEvent.
inline constexpr int kNoEvent = 0;
inline constexpr int kControlActivity = 13100;  // a button pressed, a list selection made
inline constexpr int kCloseRequest = 16;        // a window's close box was used, or a signal
// One of the program's windows was activated (clicked into, or brought to the front): a window
// that has to stay in front takes the foreground back after it.
inline constexpr int kWindowActivated = 13104;

// WaitEvent's limit for "wait until something happens".
inline constexpr int kNoTimeLimit = -1;

// OpenWindow flags.
inline constexpr std::uint32_t kWindowSizable = 0xCC0000;  // title bar, close box, sizing border
inline constexpr std::uint32_t kWindowFixed = 0xC80000;    // title bar, close box, fixed size
inline constexpr std::uint32_t kWindowCentred = 2;         // centred over the active window

// CreateTextField flags.
inline constexpr std::uint32_t kTextLeft = 0;
inline constexpr std::uint32_t kTextCentred = 1;
inline constexpr std::uint32_t kTextSunken = 0x20000;

// CreateProgressBar flags.
inline constexpr std::uint32_t kProgressSmooth = 1;

// SetControlColour: which colour.
inline constexpr int kColourText = 1;
inline constexpr int kColourBackground = 2;

// LoadFont flags.
inline constexpr std::uint32_t kFontBold = 0x100;

// AddControlItem position that appends.
inline constexpr int kAppend = -1;

// Colours are 0x00BBGGRR.
constexpr std::uint32_t Rgb(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  return static_cast<std::uint32_t>(r) | static_cast<std::uint32_t>(g) << 8 |
         static_cast<std::uint32_t>(b) << 16;
}

class Toolkit {
 public:
  virtual ~Toolkit() = default;

  // Non-zero on success; the window is shown at once. x and y place the frame's top-left corner,
  // width and height the inner area. With kWindowCentred the window is centred over the active
  // window, and x and y apply only when none is active.
  virtual int OpenWindow(int number, int x, int y, int width, int height, std::string_view title,
                         std::uint32_t flags) = 0;
  virtual void CloseWindow(int number) = 0;
  virtual void ActivateWindow(int number) = 0;
  // The number of this program's window in the foreground, -1 when another program's is.
  virtual int ForegroundWindowNumber() = 0;

  // Handles at most one input. Returns kControlActivity, kCloseRequest, kWindowActivated, or
  // kNoEvent when nothing came within limit_ms (0 polls; kNoTimeLimit waits for ever). Never
  // waits longer than the limit; may return before it. The close box never closes a window by
  // itself. A request to end from outside the windows (SIGTERM, Ctrl-C) is a close request of
  // no window (EventWindow -1), and it stays: every later wait reports it again at once.
  virtual int WaitEvent(int limit_ms) = 0;
  virtual int EventWindow() = 0;
  virtual int EventControl() = 0;

  virtual int CreateTextField(int number, int x, int y, int width, int height,
                              std::string_view text, std::uint32_t flags) = 0;
  virtual int CreateButton(int number, int x, int y, int width, int height,
                           std::string_view caption) = 0;
  virtual int CreateComboBox(int number, int x, int y, int width, int height) = 0;
  virtual int CreateProgressBar(int number, int x, int y, int width, int height, int minimum,
                                int maximum, std::uint32_t flags) = 0;
  virtual int CreateImageField(int number, int x, int y, int width, int height, int image) = 0;

  virtual void SetControlText(int number, std::string_view text) = 0;
  virtual void SetControlFont(int number, int font_handle) = 0;
  virtual void DisableControl(int number, int disabled) = 0;
  // Progress bar: its position. List: selects that index.
  virtual void SetControlState(int number, int value) = 0;
  virtual void SetControlColour(int number, int which, std::uint32_t colour) = 0;
  virtual void AddControlItem(int number, int position, std::string_view text) = 0;
  // A hint shown over a list's item (the device a port name stands for).
  virtual void SetControlItemHint(int number, int index, std::string_view hint) = 0;
  // List: the selected item's text ("" if none). Other controls: their text.
  virtual std::string GetControlText(int number) = 0;
  // List: the selected index (-1 if none). Progress bar: its position.
  virtual int GetControlState(int number) = 0;

  // Modal, with one OK button; returns once the operator has closed it.
  virtual void ShowMessageBox(std::string_view title, std::string_view text) = 0;

  // Returns a non-zero font handle; FontHandle(number) yields it again (0 if none).
  virtual int LoadFont(int number, std::string_view face, int points, std::uint32_t flags) = 0;
  virtual int FontHandle(int number) = 0;
  // Makes image number from the bytes of a 24-bit BMP file; non-zero on success.
  virtual int ImageFromMemory(int number, const std::uint8_t* data, std::size_t size) = 0;

  // Releases every window, control, image and font.
  virtual void ReleaseAll() = 0;
};

}  // namespace trelvin2
