// The Toolkit on plain Win32 controls: top-level windows of one class of ours, STATIC text and
// image fields, BUTTON, COMBOBOX (CBS_DROPDOWNLIST) and msctls_progress32, all on the program's
// one thread. Pixel geometry and fonts are scaled by the display's dots per inch.
#pragma once

#include <windows.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "ui/toolkit.h"
#include "ui/win32/event_queue.h"

namespace trelvin2 {

class Win32Toolkit : public Toolkit {
 public:
  // Shows the modal box; the default is MessageBoxW with one OK button over our window.
  using MessageBoxCall = std::function<void(std::string_view title, std::string_view text)>;

  // dpi 0 takes the display's; a test may give another to see the layout scaled.
  explicit Win32Toolkit(HINSTANCE instance, int dpi = 0);
  ~Win32Toolkit() override;
  Win32Toolkit(const Win32Toolkit&) = delete;
  Win32Toolkit& operator=(const Win32Toolkit&) = delete;

  // Lets a test see the box's texts instead of a dialog that waits for a click.
  void SetMessageBoxCall(MessageBoxCall call) { message_box_ = std::move(call); }

  // The handles behind the numbers, for tests and screenshots; nullptr for an unknown number.
  HWND Window(int number) const;
  HWND Control(int number) const;
  HFONT Font(int handle) const;
  int Dpi() const { return dpi_; }
  // The hint of a list's item, as its tooltip shows it ("" if none).
  std::string ItemHint(int number, int index) const;

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
  enum class Kind { kText, kButton, kList, kProgress, kImage };

  struct ControlEntry {
    HWND hwnd = nullptr;
    int window = -1;
    Kind kind = Kind::kText;
    bool has_text_colour = false;
    COLORREF text_colour = 0;
    HBRUSH background = nullptr;  // ours, when a background colour was given
    COLORREF background_colour = 0;
    std::vector<std::wstring> hints;  // a list's item hints, in item order
    HWND tooltip = nullptr;           // shows the selected item's hint
  };

  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT HandleMessage(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  void HandleCommand(HWND control, int notification);
  LRESULT ControlColours(HWND control, HDC dc);

  int WindowNumberOf(HWND hwnd) const;
  ControlEntry* EntryOf(HWND control);
  ControlEntry* Entry(int number, Kind kind);
  // Takes a window that Windows destroyed along with its owner out of the tables.
  void ForgetDestroyedWindow(HWND hwnd);
  void RemoveControlsOf(int window);
  void DestroyControl(int number);
  // The window to centre over, to own new windows and to carry the message box: the active one
  // of ours, else the one opened last.
  HWND ReferenceWindow() const;

  // Creates a control of class in the window opened last, under number; 0 when no window.
  int AddControl(int number, Kind kind, const wchar_t* window_class, const std::wstring& text,
                 DWORD style, DWORD ex_style, int x, int y, int width, int height);
  void SizeOpenList(const ControlEntry& list);
  void ShowSelectedHint(ControlEntry& list);
  // Dispatches queued window messages until one of them produced an event or none are left.
  void DispatchPending();

  int Scale(int length) const;

  HINSTANCE instance_;
  int dpi_;
  HFONT default_font_ = nullptr;  // for controls without a font of their own

  std::map<int, HWND> windows_;
  std::vector<int> opening_order_;  // window numbers, the last opened at the back
  std::map<int, ControlEntry> controls_;

  std::map<int, HFONT> fonts_;        // by handle
  std::map<int, int> font_numbers_;   // font number -> handle
  std::map<int, HBITMAP> images_;     // by handle
  std::map<int, int> image_numbers_;  // image number -> handle
  int next_handle_ = 1;               // font and image handles start at 1: 0 means none

  // The activation of one of our windows is reported (kWindowActivated) when the program wants
  // another in front and that one had been the active window: so the activations that merely
  // follow the program's own OpenWindow, ActivateWindow and CloseWindow stay silent.
  void WantInFront(int number);
  void NoteActivation(int number);
  int wanted_front_ = -1;         // the window opened or activated last by the program
  bool front_confirmed_ = false;  // ... and it has been the active window since
  std::chrono::steady_clock::time_point wanted_since_{};  // when the program last chose it

  EventQueue events_;
  QueuedEvent last_event_;
  bool waiting_ = false;         // inside WaitEvent: a nested wait would reorder events
  bool in_message_box_ = false;  // close requests behind a modal box are dropped, not queued
  MessageBoxCall message_box_;
};

}  // namespace trelvin2
