// Changing controls: lists, progress, colours, fonts, immediate drawing, unknown numbers, the
// message box, and images from BMP bytes.
#include <algorithm>
#include <cstring>
#include <functional>

#include "data/embedded_data.h"
// commctrl.h needs windows.h before it.
// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include "tests/win32-gui/win32_fixture.h"

namespace trelvin2 {
namespace {

class ControlOperations : public Win32Test {
 protected:
  void SetUp() override { StartUp(program); }

  // The colours the status line's window procedure gives the field to paint with.
  struct Painted {
    COLORREF text;
    COLORREF background;
    COLORREF brush;
  };
  Painted PaintColours(int control) {
    HWND field = toolkit.Control(control);
    HDC dc = GetDC(field);
    auto brush = reinterpret_cast<HBRUSH>(SendMessageW(GetParent(field), WM_CTLCOLORSTATIC,
                                                       reinterpret_cast<WPARAM>(dc),
                                                       reinterpret_cast<LPARAM>(field)));
    LOGBRUSH logical{};
    GetObjectW(brush, sizeof logical, &logical);
    const Painted painted{GetTextColor(dc), GetBkColor(dc), logical.lbColor};
    ReleaseDC(field, dc);
    return painted;
  }
};

TEST_F(ControlOperations, ListStartsWithoutSelectionAndSelectsByIndex) {
  OpenPortWindow(program);
  toolkit.AddControlItem(kPortList, kAppend, "com2");
  toolkit.AddControlItem(kPortList, kAppend, "com5");
  EXPECT_EQ(toolkit.GetControlState(kPortList), -1);
  EXPECT_EQ(toolkit.GetControlText(kPortList), "");
  toolkit.SetControlState(kPortList, 1);
  EXPECT_EQ(toolkit.GetControlState(kPortList), 1);
  EXPECT_EQ(toolkit.GetControlText(kPortList), "com5");
  toolkit.AddControlItem(kPortList, 0, "com1");
  EXPECT_EQ(toolkit.GetControlState(kPortList), 2);
  EXPECT_EQ(toolkit.GetControlText(kPortList), "com5");
  toolkit.SetControlItemHint(kPortList, 2, "USB Serial Port");
  EXPECT_EQ(toolkit.ItemHint(kPortList, 2), "USB Serial Port");
  EXPECT_EQ(toolkit.ItemHint(kPortList, 0), "");
  toolkit.SetControlState(kPortList, 7);  // beyond the items: none
  EXPECT_EQ(toolkit.GetControlState(kPortList), -1);
  toolkit.SetControlText(kPortList, "com2");  // a list's text selects that item
  EXPECT_EQ(toolkit.GetControlState(kPortList), 1);
}

TEST_F(ControlOperations, ProgressBarPositionStaysWithinItsRange) {
  const std::pair<int, int> cases[] = {{2000, 2000}, {4000, 4000}, {0, 0}, {5000, 4000}, {-5, 0}};
  for (const auto& [asked, shown] : cases) {
    toolkit.SetControlState(kProgressBar, asked);
    EXPECT_EQ(toolkit.GetControlState(kProgressBar), shown) << asked;
  }
  PBRANGE range{};
  SendMessageW(toolkit.Control(kProgressBar), PBM_GETRANGE, FALSE,
               reinterpret_cast<LPARAM>(&range));
  EXPECT_EQ(range.iHigh, kProgressMaximum);  // the range is as it was
}

TEST_F(ControlOperations, ColoursAreWhatTheFieldPaintsWith) {
  const Painted plain = PaintColours(kStatusLine);
  EXPECT_EQ(plain.text, GetSysColor(COLOR_WINDOWTEXT));
  toolkit.SetControlColour(kStatusLine, kColourText, Rgb(255, 0, 0));
  toolkit.SetControlColour(kStatusLine, kColourBackground, Rgb(0x11, 0x22, 0x33));
  const Painted painted = PaintColours(kStatusLine);
  EXPECT_EQ(painted.text, RGB(255, 0, 0));
  EXPECT_EQ(painted.background, RGB(0x11, 0x22, 0x33));
  EXPECT_EQ(painted.brush, RGB(0x11, 0x22, 0x33));
}

TEST_F(ControlOperations, ChangesAreDrawnWithoutServicingTheWindow) {
  Settle();
  toolkit.SetControlColour(kStatusLine, kColourBackground, Rgb(207, 207, 207));
  Settle();
  struct Change {
    const char* what;
    int control;
    std::function<void()> apply;
  };
  const Change changes[] = {
      {"text", kStatusLine, [this] { toolkit.SetControlText(kStatusLine, "Lösche Modem"); }},
      {"colour", kStatusLine,
       [this] { toolkit.SetControlColour(kStatusLine, kColourText, Rgb(255, 0, 0)); }},
      {"progress", kProgressBar, [this] { toolkit.SetControlState(kProgressBar, 2000); }},
      {"full progress", kProgressBar,
       [this] { toolkit.SetControlState(kProgressBar, kProgressMaximum); }},
      {"disabled", kStartButton, [this] { toolkit.DisableControl(kStartButton, 1); }},
  };
  for (const auto& change : changes) {
    SCOPED_TRACE(change.what);
    const auto before = Pixels(toolkit.Control(change.control));
    change.apply();
    EXPECT_NE(Pixels(toolkit.Control(change.control)), before);
  }
}

TEST_F(ControlOperations, ReplacedTextIsReadInUtf8) {
  toolkit.SetControlText(kStatusLine, "Sicherheits-Code übertragen");
  EXPECT_EQ(toolkit.GetControlText(kStatusLine), "Sicherheits-Code übertragen");
  EXPECT_EQ(TextOf(toolkit.Control(kStatusLine)), "Sicherheits-Code übertragen");
  toolkit.SetControlText(kStartButton, "Start");
  EXPECT_EQ(toolkit.GetControlText(kStartButton), "Start");
}

TEST_F(ControlOperations, UnknownNumbersChangeNothing) {
  constexpr int kNobody = 99;
  toolkit.SetControlText(kStatusLine, "vorher");
  toolkit.SetControlText(kNobody, "x");
  toolkit.SetControlFont(kNobody, toolkit.FontHandle(kFontArial9));
  toolkit.DisableControl(kNobody, 1);
  toolkit.SetControlState(kNobody, 3);
  toolkit.SetControlColour(kNobody, kColourText, 0xFF);
  toolkit.AddControlItem(kNobody, kAppend, "x");
  toolkit.SetControlItemHint(kNobody, 0, "x");
  toolkit.CloseWindow(kNobody);
  toolkit.ActivateWindow(kNobody);
  toolkit.SetControlFont(kStatusLine, 12345);  // no such font
  EXPECT_EQ(toolkit.GetControlText(kNobody), "");
  EXPECT_EQ(toolkit.GetControlState(kNobody), 0);
  EXPECT_EQ(toolkit.Control(kNobody), nullptr);
  EXPECT_NE(toolkit.Window(kMainWindow), nullptr);
  EXPECT_EQ(toolkit.GetControlText(kStatusLine), "vorher");
  EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(toolkit.Control(kStatusLine), WM_GETFONT, 0, 0)),
            toolkit.Font(toolkit.FontHandle(kFontArial9)));
  // A list operation on a control that is not a list does nothing either.
  toolkit.AddControlItem(kStatusLine, kAppend, "x");
  EXPECT_EQ(toolkit.GetControlText(kStatusLine), "vorher");
}

TEST_F(ControlOperations, NoWindowNoControl) {
  toolkit.ReleaseAll();
  EXPECT_EQ(toolkit.CreateButton(5, 0, 0, 10, 10, "x"), 0);
  EXPECT_EQ(toolkit.Control(5), nullptr);
}

TEST_F(ControlOperations, SameNumberReplacesTheControl) {
  HWND old = toolkit.Control(kStatusLine);
  toolkit.CreateTextField(kStatusLine, 1, 2, 3, 4, "neu", kTextLeft);
  EXPECT_FALSE(IsWindow(old));
  const RECT place = PlaceInWindow(toolkit.Control(kStatusLine));
  EXPECT_EQ(place.left, 1);
  EXPECT_EQ(place.top, 2);
  EXPECT_EQ(place.right, 4);
  EXPECT_EQ(place.bottom, 6);
}

TEST_F(ControlOperations, FontsByNumber) {
  const int a = toolkit.LoadFont(30, "Arial", 9, kFontBold);
  const int b = toolkit.LoadFont(31, "Arial", 9, 0);
  EXPECT_NE(a, 0);
  EXPECT_NE(b, 0);
  EXPECT_NE(a, b);
  EXPECT_EQ(toolkit.FontHandle(30), a);
  EXPECT_EQ(toolkit.FontHandle(32), 0);
  toolkit.SetControlFont(kStatusLine, a);
  HWND status = toolkit.Control(kStatusLine);
  EXPECT_EQ(Resolve(reinterpret_cast<HFONT>(SendMessageW(status, WM_GETFONT, 0, 0))).weight,
            FW_BOLD);
  toolkit.SetControlFont(kStatusLine, 0);  // back to the default GUI font
  EXPECT_EQ(SendMessageW(status, WM_GETFONT, 0, 0),
            SendMessageW(toolkit.Control(kChosenBaudControl), WM_GETFONT, 0, 0));
  toolkit.ReleaseAll();
  EXPECT_EQ(toolkit.FontHandle(30), 0);
}

TEST_F(ControlOperations, InjectedMessageBoxGetsTitleAndText) {
  toolkit.ShowMessageBox("Trelvin 2", "Der Loader amtwortet nicht");
  ASSERT_EQ(message_boxes.size(), 1u);
  EXPECT_EQ(message_boxes[0].first, "Trelvin 2");
  EXPECT_EQ(message_boxes[0].second, "Der Loader amtwortet nicht");
}

// What the timer below saw of the real message box.
struct SeenBox {
  std::string text;
  int buttons = 0;
  bool main_enabled = true;
};
SeenBox seen_box;
HWND seen_main = nullptr;

BOOL CALLBACK CountButton(HWND child, LPARAM count) {
  if (ClassOf(child) == "Button") ++*reinterpret_cast<int*>(count);
  return TRUE;
}

BOOL CALLBACK ReadStatic(HWND child, LPARAM text) {
  if (ClassOf(child) == "Static" && !TextOf(child).empty()) {
    *reinterpret_cast<std::string*>(text) = TextOf(child);
  }
  return TRUE;
}

void CALLBACK AnswerTheBox(HWND, UINT, UINT_PTR id, DWORD) {
  HWND box = FindWindowW(L"#32770", L"Fehler");
  if (box == nullptr) return;  // not up yet: the timer comes again
  KillTimer(nullptr, id);
  EnumChildWindows(box, &ReadStatic, reinterpret_cast<LPARAM>(&seen_box.text));
  EnumChildWindows(box, &CountButton, reinterpret_cast<LPARAM>(&seen_box.buttons));
  seen_box.main_enabled = IsWindowEnabled(seen_main) != FALSE;
  // The close box of a window behind the modal box is not queued for later.
  SendMessageW(seen_main, WM_CLOSE, 0, 0);
  PostMessageW(box, WM_COMMAND, IDOK, 0);
}

TEST(ModalBox, RealOneIsModalWithOneOkButton) {
  Win32Toolkit real(GetModuleHandleW(nullptr));
  real.OpenWindow(kMainWindow, 229, 109, 492, 183, kMainWindowTitle, kWindowSizable);
  real.OpenWindow(kPortWindow, 288, 280, 258, 90, kPortWindowTitle,
                  kWindowSizable | kWindowCentred);
  seen_box = {};
  seen_main = real.Window(kMainWindow);
  SetTimer(nullptr, 0, 50, &AnswerTheBox);
  real.ShowMessageBox("Fehler", "Übertragung");
  EXPECT_EQ(seen_box.text, "Übertragung");
  EXPECT_EQ(seen_box.buttons, 1);
  EXPECT_FALSE(seen_box.main_enabled);
  EXPECT_TRUE(IsWindowEnabled(real.Window(kMainWindow)));
  // The close request sent while the box showed is not delivered later. (The window manager may
  // move the activation about meanwhile; that is another event.)
  for (int event = real.WaitEvent(50); event != kNoEvent; event = real.WaitEvent(50)) {
    EXPECT_NE(event, kCloseRequest);
  }
}

class Images : public Win32Test {
 protected:
  static std::vector<std::uint8_t> Banner() {
    const auto banner = BannerBmp();
    return {banner.begin(), banner.end()};
  }
};

TEST_F(Images, BannerLoadsAndShowsInTheMainWindow) {
  StartUp(program);
  EXPECT_NE(program.banner_image, 0);
  auto bitmap = reinterpret_cast<HBITMAP>(
      SendMessageW(toolkit.Control(kBannerControl), STM_GETIMAGE, IMAGE_BITMAP, 0));
  BITMAP size{};
  ASSERT_NE(GetObjectW(bitmap, sizeof size, &size), 0);
  EXPECT_EQ(size.bmWidth, 180);
  EXPECT_EQ(size.bmHeight, 20);
  // The field shows the picture: its first pixel row is not the window's face colour only.
  Settle();
  const auto pixels = Pixels(toolkit.Control(kBannerControl));
  const auto face = pixels.front();
  EXPECT_TRUE(std::any_of(pixels.begin(), pixels.end(), [face](auto p) { return p != face; }));
}

TEST_F(Images, DamagedFilesAreRefused) {
  struct Damage {
    const char* what;
    std::size_t offset;  // a byte to overwrite, or SIZE_MAX for none
    std::uint8_t value;
    std::size_t missing;  // bytes cut from the end
  };
  constexpr std::size_t kNone = SIZE_MAX;
  const Damage cases[] = {
      {"one byte short", kNone, 0, 1},        {"last row short", kNone, 0, 12},
      {"only headers", kNone, 0, 10854 - 54}, {"not BM", 0, 'X', 0},
      {"8 bits per pixel", 28, 8, 0},         {"run-length compressed", 30, 1, 0},
      {"pixel data past the end", 10, 60, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<std::uint8_t> bytes = Banner();
    if (c.offset != kNone) bytes[c.offset] = c.value;
    bytes.resize(bytes.size() - c.missing);
    EXPECT_EQ(toolkit.ImageFromMemory(kBannerImage, bytes.data(), bytes.size()), 0);
  }
  EXPECT_EQ(toolkit.ImageFromMemory(kBannerImage, nullptr, 0), 0);
}

TEST_F(Images, TopDownRowsAreAccepted) {
  std::vector<std::uint8_t> bytes = Banner();
  const std::int32_t top_down = -20;
  std::memcpy(bytes.data() + 22, &top_down, sizeof top_down);  // little-endian height
  EXPECT_NE(toolkit.ImageFromMemory(kBannerImage, bytes.data(), bytes.size()), 0);
}

}  // namespace
}  // namespace trelvin2
