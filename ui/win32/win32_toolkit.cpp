#include "ui/win32/win32_toolkit.h"

#include <commctrl.h>

#include <algorithm>
#include <cassert>
#include <chrono>

#include "ui/win32/bitmap_from_bmp.h"
#include "ui/win32/dpi_scale.h"
#include "ui/win32/wide_text.h"
#include "ui/win32/window_placement.h"

namespace trelvin2 {
namespace {

constexpr wchar_t kWindowClass[] = L"Trelvin2Window";
constexpr int kAppIconId = 1;  // the icon of app/win32/trelvin2-rs232.rc

// The OpenWindow flags are window styles: 0xCC0000 is WS_CAPTION | WS_SYSMENU | WS_THICKFRAME,
// 0xC80000 the same without the sizing border. Nothing else is taken from them, so no window
// ever gets a minimise or maximise box.
constexpr DWORD kWindowStyles = WS_CAPTION | WS_SYSMENU | WS_THICKFRAME;
static_assert(kWindowSizable == (WS_CAPTION | WS_SYSMENU | WS_THICKFRAME));
static_assert(kWindowFixed == (WS_CAPTION | WS_SYSMENU));
// The text field flags are the STATIC style SS_CENTER and the extended style WS_EX_STATICEDGE.
static_assert(kTextCentred == SS_CENTER);
static_assert(kTextSunken == WS_EX_STATICEDGE);
static_assert(kProgressSmooth == PBS_SMOOTH);

// Control identifiers start above IDOK and IDCANCEL, which the dialog keyboard handling sends
// for Enter and Escape: those must never look like a control of ours.
constexpr int kFirstControlId = 1000;

// Windows desktops lay out dialogs for their 8 pt GUI font; the windows were laid out for it.
constexpr int kDefaultGuiFontPoints = 8;
constexpr int kBoldWeight = FW_BOLD;      // 700
constexpr int kNormalWeight = FW_NORMAL;  // 400

// Windows activates a window inside ShowWindow and SetForegroundWindow; a window manager on X
// (Wine) then maps the windows and moves its own focus about, which reaches the program as
// further activations up to a few hundred milliseconds later. Those are no operator's doing. No
// operator clicks into another window that soon after one appeared.
constexpr auto kWindowManagerSettle = std::chrono::milliseconds(500);

// An open list shows up to ten items before it scrolls, as on Linux.
constexpr int kOpenListItems = 10;

// Draws the control now and lets Wine's X11 driver put the result on the screen: the thread may
// be busy with the device for seconds before it next services its windows. UpdateWindow alone
// left the change in Wine's window surface until the next message call; a PeekMessageW that
// removes nothing flushes it.
void DrawNow(HWND hwnd) {
  if (!IsWindowVisible(hwnd)) return;
  RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_FRAME);
  MSG pending;
  PeekMessageW(&pending, nullptr, 0, 0, PM_NOREMOVE);
}

int ScreenDpi() {
  HDC screen = GetDC(nullptr);
  const int dpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSY) : kLayoutDpi;
  if (screen != nullptr) ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : kLayoutDpi;
}

std::wstring WindowText(HWND hwnd) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
  text.resize(
      static_cast<std::size_t>(GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
  return text;
}

std::wstring ListItemText(HWND list, LRESULT index) {
  const LRESULT length = SendMessageW(list, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
  if (length == CB_ERR) return {};
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const LRESULT copied = SendMessageW(list, CB_GETLBTEXT, static_cast<WPARAM>(index),
                                      reinterpret_cast<LPARAM>(text.data()));
  text.resize(copied == CB_ERR ? 0 : static_cast<std::size_t>(copied));
  return text;
}

}  // namespace

Win32Toolkit::Win32Toolkit(HINSTANCE instance, int dpi)
    : instance_(instance), dpi_(dpi > 0 ? dpi : ScreenDpi()) {
  INITCOMMONCONTROLSEX controls{sizeof controls,
                                ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES | ICC_BAR_CLASSES};
  InitCommonControlsEx(&controls);

  WNDCLASSEXW window_class{};
  window_class.cbSize = sizeof window_class;
  window_class.lpfnWndProc = &Win32Toolkit::WindowProc;
  window_class.hInstance = instance_;
  window_class.hIcon = LoadIconW(instance_, MAKEINTRESOURCEW(kAppIconId));
  window_class.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  // The platform's standard window face colour.
  window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  window_class.lpszClassName = kWindowClass;
  // One class for the process; a second toolkit (a test's) finds it registered already.
  RegisterClassExW(&window_class);

  // The face of the platform's default GUI font at its nominal 8 pt, scaled like everything else
  // (the stock object itself stays 8 pt at 96 dpi on any display).
  LOGFONTW gui{};
  GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof gui, &gui);
  gui.lfHeight = -FontPixels(kDefaultGuiFontPoints, dpi_);
  gui.lfWidth = 0;
  default_font_ = CreateFontIndirectW(&gui);
}

Win32Toolkit::~Win32Toolkit() {
  ReleaseAll();
  if (default_font_ != nullptr) DeleteObject(default_font_);
}

int Win32Toolkit::Scale(int length) const { return ScaleToDpi(length, dpi_); }

HWND Win32Toolkit::Window(int number) const {
  const auto it = windows_.find(number);
  return it == windows_.end() ? nullptr : it->second;
}

HWND Win32Toolkit::Control(int number) const {
  const auto it = controls_.find(number);
  return it == controls_.end() ? nullptr : it->second.hwnd;
}

HFONT Win32Toolkit::Font(int handle) const {
  const auto it = fonts_.find(handle);
  return it == fonts_.end() ? nullptr : it->second;
}

std::string Win32Toolkit::ItemHint(int number, int index) const {
  const auto it = controls_.find(number);
  if (it == controls_.end() || index < 0 ||
      static_cast<std::size_t>(index) >= it->second.hints.size()) {
    return {};
  }
  return Utf8(it->second.hints[static_cast<std::size_t>(index)]);
}

int Win32Toolkit::WindowNumberOf(HWND hwnd) const {
  for (const auto& [number, window] : windows_) {
    if (window == hwnd) return number;
  }
  return -1;
}

Win32Toolkit::ControlEntry* Win32Toolkit::EntryOf(HWND control) {
  for (auto& [number, entry] : controls_) {
    if (entry.hwnd == control) return &entry;
  }
  return nullptr;
}

Win32Toolkit::ControlEntry* Win32Toolkit::Entry(int number, Kind kind) {
  const auto it = controls_.find(number);
  return it != controls_.end() && it->second.kind == kind ? &it->second : nullptr;
}

HWND Win32Toolkit::ReferenceWindow() const {
  HWND active = GetActiveWindow();
  if (active != nullptr && WindowNumberOf(active) >= 0) return active;
  return opening_order_.empty() ? nullptr : Window(opening_order_.back());
}

LRESULT CALLBACK Win32Toolkit::WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lparam);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* toolkit = reinterpret_cast<Win32Toolkit*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (toolkit == nullptr) return DefWindowProcW(hwnd, message, wparam, lparam);
  return toolkit->HandleMessage(hwnd, message, wparam, lparam);
}

LRESULT Win32Toolkit::HandleMessage(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_CLOSE: {
      // The close box only reports; the program decides, and CloseWindow removes the window.
      const int number = WindowNumberOf(hwnd);
      if (number >= 0 && !in_message_box_) events_.Post({kCloseRequest, number, -1});
      return 0;
    }
    case WM_COMMAND:
      if (lparam != 0) HandleCommand(reinterpret_cast<HWND>(lparam), HIWORD(wparam));
      return 0;
    case WM_ACTIVATE:
      if (LOWORD(wparam) != WA_INACTIVE) NoteActivation(WindowNumberOf(hwnd));
      break;
    case WM_CTLCOLORSTATIC:
      return ControlColours(reinterpret_cast<HWND>(lparam), reinterpret_cast<HDC>(wparam));
    case WM_NCDESTROY:
      ForgetDestroyedWindow(hwnd);
      break;
    default:
      break;
  }
  return DefWindowProcW(hwnd, message, wparam, lparam);
}

void Win32Toolkit::HandleCommand(HWND control, int notification) {
  ControlEntry* entry = EntryOf(control);
  if (entry == nullptr) return;
  int number = -1;
  for (const auto& [n, e] : controls_) {
    if (&e == entry) number = n;
  }
  bool activity = false;
  if (entry->kind == Kind::kButton) {
    activity = notification == BN_CLICKED;
  } else if (entry->kind == Kind::kList) {
    // One report per choice: an open list reports when it closes on an item (CBN_SELENDOK), not
    // for every item the pointer or the arrow keys pass; a closed list changed with the arrow
    // keys reports the change itself.
    const bool open = SendMessageW(control, CB_GETDROPPEDSTATE, 0, 0) != FALSE;
    activity = (notification == CBN_SELENDOK && open) || (notification == CBN_SELCHANGE && !open);
    if (notification == CBN_SELCHANGE) ShowSelectedHint(*entry);
  }
  if (activity) events_.Post({kControlActivity, entry->window, number});
}

LRESULT Win32Toolkit::ControlColours(HWND control, HDC dc) {
  const ControlEntry* entry = EntryOf(control);
  const HWND parent = GetParent(control);
  if (entry == nullptr || (!entry->has_text_colour && entry->background == nullptr)) {
    return DefWindowProcW(parent, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                          reinterpret_cast<LPARAM>(control));
  }
  if (entry->has_text_colour) SetTextColor(dc, entry->text_colour);
  if (entry->background != nullptr) {
    SetBkColor(dc, entry->background_colour);
    return reinterpret_cast<LRESULT>(entry->background);
  }
  SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
  return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
}

void Win32Toolkit::ForgetDestroyedWindow(HWND hwnd) {
  const int number = WindowNumberOf(hwnd);
  if (number < 0) return;
  RemoveControlsOf(number);
  windows_.erase(number);
  std::erase(opening_order_, number);
  events_.ForgetWindow(number);
}

void Win32Toolkit::RemoveControlsOf(int window) {
  std::vector<int> gone;
  for (const auto& [number, entry] : controls_) {
    if (entry.window == window) gone.push_back(number);
  }
  for (int number : gone) DestroyControl(number);
}

int Win32Toolkit::OpenWindow(int number, int x, int y, int width, int height,
                             std::string_view title, std::uint32_t flags) {
  CloseWindow(number);
  const DWORD style = flags & kWindowStyles;
  // x and y place the frame, width and height the inner area: the frame is added around it.
  RECT frame{0, 0, Scale(width), Scale(height)};
  AdjustWindowRectEx(&frame, style, FALSE, 0);
  const int frame_width = frame.right - frame.left;
  const int frame_height = frame.bottom - frame.top;
  POINT corner{Scale(x), Scale(y)};
  HWND owner = nullptr;
  if ((flags & kWindowCentred) != 0) {
    owner = ReferenceWindow();
    if (owner != nullptr) {
      RECT over{};
      GetWindowRect(owner, &over);
      corner = CentredFramePosition(over, frame_width, frame_height);
    }
  }
  // A window centred over another is owned by it: it stays in front of it, has no taskbar
  // button of its own, and hands the activation back to it when it closes.
  HWND hwnd = CreateWindowExW(0, kWindowClass, Utf16(title).c_str(), style, corner.x, corner.y,
                              frame_width, frame_height, owner, nullptr, instance_, this);
  if (hwnd == nullptr) return 0;
  windows_[number] = hwnd;
  opening_order_.push_back(number);
  // Showing activates the window at once, inside ShowWindow: it is wanted in front before that.
  WantInFront(number);
  ShowWindow(hwnd, SW_SHOW);
  DrawNow(hwnd);
  return 1;
}

void Win32Toolkit::CloseWindow(int number) {
  HWND hwnd = Window(number);
  if (hwnd == nullptr) return;
  if (wanted_front_ == number) {
    // Windows hands the activation to the owner while it destroys the window: that window is
    // the one wanted in front from now on, not a window the operator activated.
    int next = -1;
    for (int open : opening_order_) {
      if (open != number) next = open;
    }
    wanted_front_ = next;
    wanted_since_ = std::chrono::steady_clock::now();
    front_confirmed_ = false;
  }
  // Destroying, not WM_CLOSE: that would come back as a close request. Windows it owns go with
  // it; WM_NCDESTROY takes each out of the tables.
  DestroyWindow(hwnd);
  ForgetDestroyedWindow(hwnd);
}

void Win32Toolkit::ActivateWindow(int number) {
  HWND hwnd = Window(number);
  if (hwnd == nullptr) return;
  WantInFront(number);
  SetForegroundWindow(hwnd);
  SetActiveWindow(hwnd);
}

void Win32Toolkit::WantInFront(int number) {
  wanted_front_ = number;
  wanted_since_ = std::chrono::steady_clock::now();
  const HWND window = Window(number);
  front_confirmed_ = window != nullptr && GetActiveWindow() == window;
}

void Win32Toolkit::NoteActivation(int number) {
  if (number < 0) return;
  if (number == wanted_front_) {
    front_confirmed_ = true;
  } else if (front_confirmed_ &&
             std::chrono::steady_clock::now() - wanted_since_ >= kWindowManagerSettle) {
    events_.Post({kWindowActivated, number, -1});
  }
}

int Win32Toolkit::ForegroundWindowNumber() { return WindowNumberOf(GetForegroundWindow()); }

void Win32Toolkit::DispatchPending() {
  MSG message;
  while (events_.Empty() && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    // Tab moves between the controls and Space presses a button, as in any dialog.
    HWND root = message.hwnd != nullptr ? GetAncestor(message.hwnd, GA_ROOT) : nullptr;
    if (root != nullptr && WindowNumberOf(root) >= 0 && IsDialogMessageW(root, &message)) {
      continue;
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

int Win32Toolkit::WaitEvent(int limit_ms) {
  using std::chrono::steady_clock;
  // A window procedure that waited again would hand out events out of order.
  assert(!waiting_);
  waiting_ = true;
  const auto deadline = steady_clock::now() + std::chrono::milliseconds(std::max(limit_ms, 0));
  for (;;) {
    DispatchPending();
    if (!events_.Empty() || limit_ms == 0) break;
    DWORD timeout = INFINITE;
    if (limit_ms > 0) {
      const auto left = deadline - steady_clock::now();
      if (left <= steady_clock::duration::zero()) break;
      // Rounded up: rounding down would wake a fraction early and wait 0 ms in a loop.
      timeout = static_cast<DWORD>(std::chrono::ceil<std::chrono::milliseconds>(left).count());
    }
    // Sleeps until input or a sent message arrives, or the time is up; MWMO_INPUTAVAILABLE also
    // wakes for input that an earlier peek saw but left.
    MsgWaitForMultipleObjectsEx(0, nullptr, timeout, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
  }
  waiting_ = false;
  const QueuedEvent event = events_.Take();
  if (event.code == kNoEvent) return kNoEvent;
  last_event_ = event;
  return event.code;
}

int Win32Toolkit::AddControl(int number, Kind kind, const wchar_t* window_class,
                             const std::wstring& text, DWORD style, DWORD ex_style, int x, int y,
                             int width, int height) {
  if (opening_order_.empty()) return 0;
  const int window = opening_order_.back();
  DestroyControl(number);
  HWND hwnd = CreateWindowExW(
      ex_style, window_class, text.c_str(), WS_CHILD | WS_VISIBLE | style, Scale(x), Scale(y),
      Scale(width), Scale(height), Window(window),
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstControlId + number)), instance_, nullptr);
  if (hwnd == nullptr) return 0;
  SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(default_font_), FALSE);
  ControlEntry entry;
  entry.hwnd = hwnd;
  entry.window = window;
  entry.kind = kind;
  controls_[number] = std::move(entry);
  DrawNow(hwnd);
  return 1;
}

void Win32Toolkit::DestroyControl(int number) {
  const auto it = controls_.find(number);
  if (it == controls_.end()) return;
  ControlEntry& entry = it->second;
  // A tooltip is owned by the window and may have gone with it already.
  if (entry.tooltip != nullptr && IsWindow(entry.tooltip)) DestroyWindow(entry.tooltip);
  if (IsWindow(entry.hwnd)) DestroyWindow(entry.hwnd);
  if (entry.background != nullptr) DeleteObject(entry.background);
  controls_.erase(it);
}

int Win32Toolkit::CreateTextField(int number, int x, int y, int width, int height,
                                  std::string_view text, std::uint32_t flags) {
  // A STATIC wraps at word boundaries and starts at the top; "&" is shown, not an accelerator.
  const DWORD style = SS_NOPREFIX | ((flags & kTextCentred) != 0 ? SS_CENTER : SS_LEFT);
  const DWORD ex_style = flags & kTextSunken;
  return AddControl(number, Kind::kText, L"STATIC", Utf16(text), style, ex_style, x, y, width,
                    height);
}

int Win32Toolkit::CreateButton(int number, int x, int y, int width, int height,
                               std::string_view caption) {
  return AddControl(number, Kind::kButton, L"BUTTON", Utf16(caption), BS_PUSHBUTTON | WS_TABSTOP, 0,
                    x, y, width, height);
}

int Win32Toolkit::CreateComboBox(int number, int x, int y, int width, int height) {
  // The height asked for is that of the open list; closed, the list shows one line at the
  // standard height of its font. SizeOpenList fits the open list to its items.
  if (!AddControl(number, Kind::kList, L"COMBOBOX", L"", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP,
                  0, x, y, width, height)) {
    return 0;
  }
  const ControlEntry& list = controls_.at(number);
  SizeOpenList(list);
  return 1;
}

void Win32Toolkit::SizeOpenList(const ControlEntry& list) {
  // A list asked 30 pixels high would open as a sliver: the open list takes as many lines as it
  // has items, at least one and at most kOpenListItems, below the closed box.
  const auto count = static_cast<int>(SendMessageW(list.hwnd, CB_GETCOUNT, 0, 0));
  const auto item = static_cast<int>(SendMessageW(list.hwnd, CB_GETITEMHEIGHT, 0, 0));
  RECT closed{};
  GetWindowRect(list.hwnd, &closed);
  const int lines = std::clamp(count, 1, kOpenListItems);
  const int open_height =
      (closed.bottom - closed.top) + lines * item + 2 * GetSystemMetrics(SM_CYEDGE);
  SetWindowPos(list.hwnd, nullptr, 0, 0, closed.right - closed.left, open_height,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

int Win32Toolkit::CreateProgressBar(int number, int x, int y, int width, int height, int minimum,
                                    int maximum, std::uint32_t flags) {
  if (!AddControl(number, Kind::kProgress, PROGRESS_CLASSW, L"", flags & kProgressSmooth, 0, x, y,
                  width, height)) {
    return 0;
  }
  HWND bar = Control(number);
  SendMessageW(bar, PBM_SETRANGE32, static_cast<WPARAM>(minimum), static_cast<LPARAM>(maximum));
  SendMessageW(bar, PBM_SETPOS, static_cast<WPARAM>(minimum), 0);
  DrawNow(bar);
  return 1;
}

int Win32Toolkit::CreateImageField(int number, int x, int y, int width, int height, int image) {
  if (!AddControl(number, Kind::kImage, L"STATIC", L"", SS_BITMAP, 0, x, y, width, height)) {
    return 0;
  }
  HWND field = Control(number);
  const auto it = images_.find(image);
  if (it != images_.end()) {
    SendMessageW(field, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(it->second));
  }
  // SS_BITMAP sizes the field to its picture; the field keeps the place it was given.
  SetWindowPos(field, nullptr, 0, 0, Scale(width), Scale(height),
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  DrawNow(field);
  return 1;
}

void Win32Toolkit::SetControlText(int number, std::string_view text) {
  const auto it = controls_.find(number);
  if (it == controls_.end()) return;
  ControlEntry& entry = it->second;
  switch (entry.kind) {
    case Kind::kText:
    case Kind::kButton:
      SetWindowTextW(entry.hwnd, Utf16(text).c_str());
      break;
    case Kind::kList: {
      // A list shows the item of that text, or none.
      const std::wstring wanted = Utf16(text);
      const LRESULT found = SendMessageW(entry.hwnd, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                         reinterpret_cast<LPARAM>(wanted.c_str()));
      SendMessageW(entry.hwnd, CB_SETCURSEL, static_cast<WPARAM>(found), 0);
      ShowSelectedHint(entry);
      break;
    }
    default:
      return;
  }
  DrawNow(entry.hwnd);
}

void Win32Toolkit::SetControlFont(int number, int font_handle) {
  const auto it = controls_.find(number);
  if (it == controls_.end()) return;
  HFONT font = default_font_;  // handle 0: back to the default GUI font
  if (font_handle != 0) {
    font = Font(font_handle);
    if (font == nullptr) return;
  }
  SendMessageW(it->second.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  // A list's closed height follows its font.
  if (it->second.kind == Kind::kList) SizeOpenList(it->second);
  DrawNow(it->second.hwnd);
}

void Win32Toolkit::DisableControl(int number, int disabled) {
  HWND hwnd = Control(number);
  if (hwnd == nullptr) return;
  EnableWindow(hwnd, disabled == 0);
  DrawNow(hwnd);
}

void Win32Toolkit::SetControlState(int number, int value) {
  const auto it = controls_.find(number);
  if (it == controls_.end()) return;
  ControlEntry& entry = it->second;
  if (entry.kind == Kind::kProgress) {
    PBRANGE range{};
    SendMessageW(entry.hwnd, PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&range));
    const int position = std::clamp(value, range.iLow, range.iHigh);
    // A themed bar on Windows glides to a higher position over about a second but jumps to a
    // lower one: going one past and back draws the new position at once.
    if (position < range.iHigh) {
      SendMessageW(entry.hwnd, PBM_SETPOS, static_cast<WPARAM>(position + 1), 0);
    } else {
      SendMessageW(entry.hwnd, PBM_SETRANGE32, static_cast<WPARAM>(range.iLow),
                   static_cast<LPARAM>(range.iHigh + 1));
      SendMessageW(entry.hwnd, PBM_SETPOS, static_cast<WPARAM>(range.iHigh + 1), 0);
      SendMessageW(entry.hwnd, PBM_SETPOS, static_cast<WPARAM>(position), 0);
      SendMessageW(entry.hwnd, PBM_SETRANGE32, static_cast<WPARAM>(range.iLow),
                   static_cast<LPARAM>(range.iHigh));
    }
    SendMessageW(entry.hwnd, PBM_SETPOS, static_cast<WPARAM>(position), 0);
  } else if (entry.kind == Kind::kList) {
    const auto count = static_cast<int>(SendMessageW(entry.hwnd, CB_GETCOUNT, 0, 0));
    const int index = value >= 0 && value < count ? value : -1;
    SendMessageW(entry.hwnd, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    ShowSelectedHint(entry);
  } else {
    return;
  }
  DrawNow(entry.hwnd);
}

void Win32Toolkit::SetControlColour(int number, int which, std::uint32_t colour) {
  const auto it = controls_.find(number);
  if (it == controls_.end()) return;
  ControlEntry& entry = it->second;
  // The toolkit's colours are COLORREF values already: 0x00BBGGRR.
  if (which == kColourText) {
    entry.has_text_colour = true;
    entry.text_colour = colour;
  } else if (which == kColourBackground) {
    HBRUSH brush = CreateSolidBrush(colour);
    if (brush == nullptr) return;
    if (entry.background != nullptr) DeleteObject(entry.background);
    entry.background = brush;
    entry.background_colour = colour;
  } else {
    return;
  }
  DrawNow(entry.hwnd);
}

void Win32Toolkit::AddControlItem(int number, int position, std::string_view text) {
  ControlEntry* list = Entry(number, Kind::kList);
  if (list == nullptr) return;
  const std::wstring item = Utf16(text);
  LRESULT index;
  if (position < 0) {
    index = SendMessageW(list->hwnd, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
  } else {
    index = SendMessageW(list->hwnd, CB_INSERTSTRING, static_cast<WPARAM>(position),
                         reinterpret_cast<LPARAM>(item.c_str()));
  }
  if (index < 0) return;
  // The list selects nothing by itself, as the program expects.
  const auto at = std::min(static_cast<std::size_t>(index), list->hints.size());
  list->hints.insert(list->hints.begin() + static_cast<std::ptrdiff_t>(at), std::wstring());
  SizeOpenList(*list);
  DrawNow(list->hwnd);
}

void Win32Toolkit::SetControlItemHint(int number, int index, std::string_view hint) {
  ControlEntry* list = Entry(number, Kind::kList);
  if (list == nullptr || index < 0 || static_cast<std::size_t>(index) >= list->hints.size()) return;
  list->hints[static_cast<std::size_t>(index)] = Utf16(hint);
  ShowSelectedHint(*list);
}

void Win32Toolkit::ShowSelectedHint(ControlEntry& list) {
  // A closed Win32 list has no per-item tooltips: the list's own tooltip tells what the
  // selected item stands for.
  if (list.kind != Kind::kList) return;
  const LRESULT selected = SendMessageW(list.hwnd, CB_GETCURSEL, 0, 0);
  std::wstring hint;
  if (selected >= 0 && static_cast<std::size_t>(selected) < list.hints.size()) {
    hint = list.hints[static_cast<std::size_t>(selected)];
  }
  if (list.tooltip == nullptr) {
    if (hint.empty()) return;
    list.tooltip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                   WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                                   CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                   GetParent(list.hwnd), nullptr, instance_, nullptr);
    if (list.tooltip == nullptr) return;
    TTTOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;  // understood by every version of the common controls
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = GetParent(list.hwnd);
    tool.uId = reinterpret_cast<UINT_PTR>(list.hwnd);
    tool.lpszText = hint.data();
    SendMessageW(list.tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    return;
  }
  TTTOOLINFOW tool{};
  tool.cbSize = TTTOOLINFOW_V2_SIZE;
  tool.hwnd = GetParent(list.hwnd);
  tool.uId = reinterpret_cast<UINT_PTR>(list.hwnd);
  tool.lpszText = hint.data();
  SendMessageW(list.tooltip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
  SendMessageW(list.tooltip, TTM_ACTIVATE, hint.empty() ? FALSE : TRUE, 0);
}

std::string Win32Toolkit::GetControlText(int number) {
  const auto it = controls_.find(number);
  if (it == controls_.end()) return {};
  const ControlEntry& entry = it->second;
  switch (entry.kind) {
    case Kind::kText:
    case Kind::kButton:
      return Utf8(WindowText(entry.hwnd));
    case Kind::kList: {
      const LRESULT selected = SendMessageW(entry.hwnd, CB_GETCURSEL, 0, 0);
      return selected < 0 ? std::string() : Utf8(ListItemText(entry.hwnd, selected));
    }
    default:
      return {};
  }
}

int Win32Toolkit::GetControlState(int number) {
  const auto it = controls_.find(number);
  if (it == controls_.end()) return 0;
  if (it->second.kind == Kind::kProgress) {
    return static_cast<int>(SendMessageW(it->second.hwnd, PBM_GETPOS, 0, 0));
  }
  if (it->second.kind == Kind::kList) {
    const LRESULT selected = SendMessageW(it->second.hwnd, CB_GETCURSEL, 0, 0);
    return selected < 0 ? -1 : static_cast<int>(selected);
  }
  return 0;
}

void Win32Toolkit::ShowMessageBox(std::string_view title, std::string_view text) {
  if (message_box_) {
    message_box_(title, text);
    return;
  }
  // Modal for the whole program, as the box's single OK asks: every window of ours is disabled
  // while it shows, not only its owner. The owner is the window the program wants in front: the
  // activation that comes back to it when the box closes is then no operator's doing.
  HWND owner = Window(wanted_front_);
  if (owner == nullptr) owner = ReferenceWindow();
  std::vector<HWND> disabled;
  for (const auto& [number, window] : windows_) {
    if (window != owner && IsWindowEnabled(window)) {
      EnableWindow(window, FALSE);
      disabled.push_back(window);
    }
  }
  in_message_box_ = true;
  MessageBoxW(owner, Utf16(text).c_str(), Utf16(title).c_str(), MB_OK | MB_APPLMODAL);
  in_message_box_ = false;
  for (HWND window : disabled) {
    if (IsWindow(window)) EnableWindow(window, TRUE);
  }
}

int Win32Toolkit::LoadFont(int number, std::string_view face, int points, std::uint32_t flags) {
  const int weight = (flags & kFontBold) != 0 ? kBoldWeight : kNormalWeight;
  // A negative height asks for the character height, which is what a size in points means.
  HFONT font = CreateFontW(-FontPixels(points, dpi_), 0, 0, 0, weight, FALSE, FALSE, FALSE,
                           DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                           DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, Utf16(face).c_str());
  if (font == nullptr) return 0;
  const auto old = font_numbers_.find(number);
  if (old != font_numbers_.end()) {
    // Controls may still show the old font; it goes with ReleaseAll.
    font_numbers_.erase(old);
  }
  const int handle = next_handle_++;
  fonts_[handle] = font;
  font_numbers_[number] = handle;
  return handle;
}

int Win32Toolkit::FontHandle(int number) {
  const auto it = font_numbers_.find(number);
  return it == font_numbers_.end() ? 0 : it->second;
}

int Win32Toolkit::ImageFromMemory(int number, const std::uint8_t* data, std::size_t size) {
  HBITMAP bitmap = BitmapFromBmp(data, size, dpi_);
  if (bitmap == nullptr) return 0;
  image_numbers_.erase(number);  // an image field may still show the old one
  const int handle = next_handle_++;
  images_[handle] = bitmap;
  image_numbers_[number] = handle;
  return handle;
}

void Win32Toolkit::ReleaseAll() {
  while (!opening_order_.empty()) CloseWindow(opening_order_.back());
  wanted_front_ = -1;
  front_confirmed_ = false;
  for (const auto& [handle, font] : fonts_) DeleteObject(font);
  for (const auto& [handle, bitmap] : images_) DeleteObject(bitmap);
  fonts_.clear();
  font_numbers_.clear();
  images_.clear();
  image_numbers_.clear();
  events_.Clear();
  last_event_ = {};
}

}  // namespace trelvin2
