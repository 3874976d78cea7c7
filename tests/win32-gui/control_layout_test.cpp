// Every control of the three windows: class, place, font as GDI resolved it, alignment and
// text, as start-up and the two choice steps build them.
#include <set>

// commctrl.h needs windows.h before it.
// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include "tests/win32-gui/win32_fixture.h"
#include "ui/win32/dpi_scale.h"
#include "ui/win32/wide_text.h"

namespace trelvin2 {
namespace {

enum class Face { kNone, kDefault, kArial, kCourier };
enum class Align { kNone, kLeft, kCentred };

constexpr int kStandardHeight = -1;  // a closed drop-down list: one line at its standard height

struct ControlCase {
  int number;
  const char* window_class;
  RECT place;  // left, top, right, bottom
  Face face;
  int points;  // 0 with the default font
  bool bold;
  Align align;
  const char* text;
};

// The faces Wine may stand in for the two (its font replacements map them to these).
const std::set<std::string> kArialFaces = {"Arial", "Liberation Sans"};
const std::set<std::string> kCourierFaces = {"Courier New", "Liberation Mono"};

class ControlLayout : public Win32Test {
 protected:
  void Check(const ControlCase& c) {
    SCOPED_TRACE(c.number);
    HWND control = toolkit.Control(c.number);
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(ClassOf(control), c.window_class);
    EXPECT_TRUE(IsWindowVisible(control));
    const RECT place = PlaceInWindow(control);
    EXPECT_EQ(place.left, c.place.left);
    EXPECT_EQ(place.top, c.place.top);
    EXPECT_EQ(place.right, c.place.right);
    if (c.place.bottom == kStandardHeight) {
      // Closed, a list is one line of its font high, not the height asked for its open list.
      const int height = place.bottom - place.top;
      EXPECT_GT(height, FontPixels(c.points, 96));
      EXPECT_LT(height, 2 * FontPixels(c.points, 96) + 8);
    } else {
      EXPECT_EQ(place.bottom, c.place.bottom);
    }

    auto font = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
    if (c.face != Face::kNone) {
      ASSERT_NE(font, nullptr);
    }
    const int points = c.face == Face::kDefault ? 8 : c.points;
    LOGFONTW asked{};
    GetObjectW(font, sizeof asked, &asked);
    const ResolvedFont resolved = Resolve(font);
    if (c.face == Face::kNone) {
      // A picture has no text.
    } else if (c.face == Face::kDefault) {
      // The platform's GUI font at 8 pt, the size the windows were laid out for.
      EXPECT_EQ(asked.lfHeight, -FontPixels(points, 96));
      EXPECT_NEAR(resolved.em_pixels, FontPixels(points, 96), 1);
      EXPECT_EQ(resolved.weight, FW_NORMAL);
    } else {
      const auto& faces = c.face == Face::kArial ? kArialFaces : kCourierFaces;
      EXPECT_EQ(faces.count(resolved.face), 1u) << resolved.face;
      // Asked as the character height of the size in points; GDI rounds the em square of a
      // scalable font to whole pixels its own way (9 pt: 13, 12 pt: 15 instead of 12 and 16).
      EXPECT_EQ(asked.lfHeight, -FontPixels(points, 96));
      EXPECT_NEAR(resolved.em_pixels, FontPixels(points, 96), 1);
      EXPECT_EQ(resolved.weight, c.bold ? FW_BOLD : FW_NORMAL);
      EXPECT_EQ(resolved.fixed_pitch, c.face == Face::kCourier) << resolved.face;
    }
    if (c.align != Align::kNone) {
      const LONG type = GetWindowLongW(control, GWL_STYLE) & SS_TYPEMASK;
      EXPECT_EQ(type, c.align == Align::kCentred ? SS_CENTER : SS_LEFT);
    }
    if (c.text != nullptr) {
      EXPECT_EQ(TextOf(control), c.text);
    }
  }
};

TEST_F(ControlLayout, MainWindow) {
  StartUp(program);
  const ControlCase cases[] = {
      {0, "Static", {300, 10, 480, 30}, Face::kNone, 0, false, Align::kNone, nullptr},
      {1, "Static", {10, 10, 130, 30}, Face::kCourier, 10, false, Align::kCentred, "Trelvin 2  "},
      {2, "msctls_progress32", {10, 60, 480, 80}, Face::kDefault, 0, false, Align::kNone, nullptr},
      {3, "Static", {10, 155, 50, 175}, Face::kArial, 9, true, Align::kLeft, "Status"},
      {4, "Static", {70, 155, 480, 175}, Face::kArial, 9, false, Align::kLeft, ""},
      {5,
       "Button",
       {10, 100, 210, 130},
       Face::kArial,
       11,
       true,
       Align::kNone,
       "Einstellungen anpassen"},
      {6, "Static", {140, 10, 280, 30}, Face::kCourier, 10, false, Align::kLeft, "Version 3.00"},
      {7,
       "Static",
       {250, 85, 550, 115},
       Face::kCourier,
       10,
       false,
       Align::kLeft,
       "Gewählte Einstellungen"},
      {25, "Static", {250, 105, 550, 135}, Face::kDefault, 0, false, Align::kLeft, "     Baud  = "},
      {26, "Static", {250, 125, 550, 155}, Face::kDefault, 0, false, Align::kLeft, "Protokoll  = "},
      {9, "Static", {10, 40, 480, 60}, Face::kCourier, 10, false, Align::kCentred, "Fortschritt"},
  };
  for (const auto& c : cases) Check(c);

  HWND bar = toolkit.Control(kProgressBar);
  PBRANGE range{};
  SendMessageW(bar, PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&range));
  EXPECT_EQ(range.iLow, 0);
  EXPECT_EQ(range.iHigh, kProgressMaximum);
  EXPECT_EQ(SendMessageW(bar, PBM_GETPOS, 0, 0), 0);
  EXPECT_TRUE(HasStyle(bar, PBS_SMOOTH));
  EXPECT_TRUE(IsWindowEnabled(toolkit.Control(kStartButton)));
  EXPECT_NE(GetWindowLongW(toolkit.Control(kStatusLine), GWL_EXSTYLE) & WS_EX_STATICEDGE, 0);
  HWND banner = toolkit.Control(kBannerControl);
  EXPECT_EQ(GetWindowLongW(banner, GWL_STYLE) & SS_TYPEMASK, SS_BITMAP);
  EXPECT_NE(SendMessageW(banner, STM_GETIMAGE, IMAGE_BITMAP, 0), 0);
}

TEST_F(ControlLayout, PortWindow) {
  OpenMainAndPortWindows();
  const ControlCase cases[] = {
      {11,
       "ComboBox",
       {20, 30, 150, kStandardHeight},
       Face::kCourier,
       10,
       false,
       Align::kNone,
       nullptr},
      {12, "Static", {20, 10, 150, 30}, Face::kArial, 9, true, Align::kCentred, "COM - Port"},
      {13, "Button", {170, 30, 245, 56}, Face::kArial, 9, true, Align::kNone, "OK"},
      {14, "Static", {20, 62, 245, 82}, Face::kArial, 9, false, Align::kLeft, ""},
  };
  for (const auto& c : cases) Check(c);
  HWND list = toolkit.Control(kPortList);
  EXPECT_EQ(GetWindowLongW(list, GWL_STYLE) & 3, CBS_DROPDOWNLIST);
  EXPECT_EQ(SendMessageW(list, CB_GETCOUNT, 0, 0), 0);
}

TEST_F(ControlLayout, SettingsWindow) {
  StartUp(program);
  OpenSettingsWindow(program);
  const ControlCase cases[] = {
      {19,
       "ComboBox",
       {20, 30, 140, kStandardHeight},
       Face::kArial,
       12,
       true,
       Align::kNone,
       nullptr},
      {20, "Static", {20, 10, 140, 30}, Face::kArial, 10, false, Align::kCentred, "Baudrate"},
      {21,
       "ComboBox",
       {160, 30, 250, kStandardHeight},
       Face::kArial,
       12,
       true,
       Align::kNone,
       nullptr},
      {22, "Static", {160, 10, 250, 30}, Face::kArial, 10, false, Align::kCentred, "Protokoll"},
      {23, "Button", {270, 30, 380, 60}, Face::kArial, 12, true, Align::kNone, "Speichern"},
      {24,
       "Static",
       {50, 70, 350, 120},
       Face::kDefault,
       0,
       false,
       Align::kCentred,
       "Bitte wählen Sie das zukünftige Übertragungsprotokoll und die Baudrate mit der das Modem "
       "angesprochen werden soll"},
  };
  for (const auto& c : cases) Check(c);
  for (int list : {kRateList, kFramingList}) {
    EXPECT_EQ(GetWindowLongW(toolkit.Control(list), GWL_STYLE) & 3, CBS_DROPDOWNLIST) << list;
  }
}

TEST_F(ControlLayout, SettingsHintWrapsWithinTheWindow) {
  // The reason for the small default font: the hint takes three lines, and its field ends 10
  // pixels below the window's inner edge (y 70 + 50 in a window 110 high), so the third line
  // must end by pixel 40 of the field.
  StartUp(program);
  OpenSettingsWindow(program);
  HWND hint = toolkit.Control(kSettingsHintControl);
  const std::wstring text = Utf16(TextOf(hint));
  HDC dc = GetDC(hint);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(hint, WM_GETFONT, 0, 0)));
  RECT box{0, 0, 300, 0};
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &box,
            DT_CALCRECT | DT_WORDBREAK | DT_CENTER | DT_NOPREFIX);
  SelectObject(dc, old);
  ReleaseDC(hint, dc);
  EXPECT_LE(box.right, 300);
  EXPECT_LE(box.bottom, 40);
}

TEST_F(ControlLayout, OpenListDropsDownBelowItselfShowingItsItems) {
  StartUp(program);
  OpenSettingsWindow(program);
  HWND list = toolkit.Control(kRateList);
  for (const char* rate : {"300", "1200", "2400", "4800", "9600"}) {
    toolkit.AddControlItem(kRateList, kAppend, rate);
  }
  Settle();
  SendMessageW(list, CB_SHOWDROPDOWN, TRUE, 0);
  Settle();
  COMBOBOXINFO info{};
  info.cbSize = sizeof info;
  ASSERT_TRUE(GetComboBoxInfo(list, &info));
  RECT closed{};
  RECT open{};
  GetWindowRect(list, &closed);
  GetWindowRect(info.hwndList, &open);
  EXPECT_TRUE(IsWindowVisible(info.hwndList));
  EXPECT_EQ(open.top, closed.bottom);
  // Asked 30 pixels high, the open list still shows all five items.
  const auto item = static_cast<int>(SendMessageW(list, CB_GETITEMHEIGHT, 0, 0));
  EXPECT_GE(open.bottom - open.top, 5 * item);
  SendMessageW(list, CB_SHOWDROPDOWN, FALSE, 0);
}

TEST_F(ControlLayout, ControlsGoIntoTheWindowOpenedLast) {
  OpenMainAndPortWindows();
  EXPECT_EQ(GetParent(toolkit.Control(kStartButton)), toolkit.Window(kMainWindow));
  EXPECT_EQ(GetParent(toolkit.Control(kPortOkButton)), toolkit.Window(kPortWindow));
  toolkit.CloseWindow(kPortWindow);
  toolkit.CreateButton(40, 0, 0, 10, 10, "x");
  EXPECT_EQ(GetParent(toolkit.Control(40)), toolkit.Window(kMainWindow));
}

}  // namespace
}  // namespace trelvin2
