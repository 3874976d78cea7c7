// Every control of the three windows: kind, place, font, alignment and text, as start-up and
// the two choice steps build them.
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QFontInfo>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <set>

#include "tests/gui/gui_fixture.h"

namespace trelvin2 {
namespace {

enum class Face { kDefault, kArial, kCourier };
enum class Align { kNone, kLeft, kCentred };

constexpr int kStandardHeight = -1;  // a closed drop-down list: one line at its standard height

struct ControlCase {
  int number;
  const char* kind;
  QRect geometry;
  Face face;
  int points;  // 0 with the default font
  bool bold;
  Align align;
  const char* text;
};

// The faces the metric-compatible fonts of this machine may stand in for.
const std::set<QString> kArialFaces = {"Arial", "Liberation Sans", "Arimo"};
const std::set<QString> kCourierFaces = {"Courier New", "Liberation Mono", "Cousine"};

// At 96 dots per inch.
int PixelsOfPoints(int points) { return (points * 96 + 36) / 72; }

QString TextOf(QWidget* widget) {
  if (auto* label = qobject_cast<QLabel*>(widget)) return label->text();
  if (auto* button = qobject_cast<QPushButton*>(widget)) return button->text();
  return {};
}

class ControlLayout : public GuiTest {
 protected:
  void Check(const ControlCase& c) {
    SCOPED_TRACE(c.number);
    QWidget* widget = toolkit.Control(c.number);
    ASSERT_NE(widget, nullptr);
    EXPECT_STREQ(widget->metaObject()->className(), c.kind);
    EXPECT_TRUE(widget->isVisible());
    QRect expected = c.geometry;
    if (expected.height() == kStandardHeight) expected.setHeight(widget->sizeHint().height());
    EXPECT_EQ(widget->geometry(), expected);

    const QFont font = widget->font();
    const QFontInfo resolved(font);
    switch (c.face) {
      case Face::kDefault:
        EXPECT_EQ(font, QApplication::font());
        break;
      case Face::kArial:
      case Face::kCourier: {
        const auto& faces = c.face == Face::kArial ? kArialFaces : kCourierFaces;
        EXPECT_EQ(faces.count(resolved.family()), 1u) << resolved.family().toStdString();
        EXPECT_EQ(font.pointSize(), c.points);
        EXPECT_EQ(resolved.pixelSize(), PixelsOfPoints(c.points));
        EXPECT_EQ(font.weight(), c.bold ? QFont::Bold : QFont::Normal);
        break;
      }
    }
    if (auto* label = qobject_cast<QLabel*>(widget); label != nullptr && c.align != Align::kNone) {
      const Qt::Alignment horizontal = label->alignment() & Qt::AlignHorizontal_Mask;
      EXPECT_EQ(horizontal, c.align == Align::kCentred ? Qt::AlignHCenter : Qt::AlignLeft);
    }
    if (c.text != nullptr) {
      EXPECT_EQ(TextOf(widget), QString::fromUtf8(c.text));
    }
  }
};

TEST_F(ControlLayout, MainWindow) {
  StartUp(program);
  const ControlCase cases[] = {
      {0, "QLabel", {300, 10, 180, 20}, Face::kDefault, 0, false, Align::kNone, nullptr},
      {1, "QLabel", {10, 10, 120, 20}, Face::kCourier, 10, false, Align::kCentred, "Trelvin 2  "},
      {2, "QProgressBar", {10, 60, 470, 20}, Face::kDefault, 0, false, Align::kNone, nullptr},
      {3, "QLabel", {10, 155, 40, 20}, Face::kArial, 9, true, Align::kLeft, "Status"},
      {4, "QLabel", {70, 155, 410, 20}, Face::kArial, 9, false, Align::kLeft, ""},
      {5,
       "QPushButton",
       {10, 100, 200, 30},
       Face::kArial,
       11,
       true,
       Align::kNone,
       "Einstellungen anpassen"},
      {6, "QLabel", {140, 10, 140, 20}, Face::kCourier, 10, false, Align::kLeft, "Version 3.00"},
      {7,
       "QLabel",
       {250, 85, 300, 30},
       Face::kCourier,
       10,
       false,
       Align::kLeft,
       "Gewählte Einstellungen"},
      {25, "QLabel", {250, 105, 300, 30}, Face::kDefault, 0, false, Align::kLeft, "     Baud  = "},
      {26, "QLabel", {250, 125, 300, 30}, Face::kDefault, 0, false, Align::kLeft, "Protokoll  = "},
      {9, "QLabel", {10, 40, 470, 20}, Face::kCourier, 10, false, Align::kCentred, "Fortschritt"},
  };
  for (const auto& c : cases) Check(c);

  auto* bar = qobject_cast<QProgressBar*>(toolkit.Control(kProgressBar));
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(bar->minimum(), 0);
  EXPECT_EQ(bar->maximum(), kProgressMaximum);
  EXPECT_EQ(bar->value(), 0);
  EXPECT_FALSE(bar->isTextVisible());
  EXPECT_TRUE(toolkit.Control(kStartButton)->isEnabled());
  auto* status = qobject_cast<QLabel*>(toolkit.Control(kStatusLine));
  EXPECT_EQ(status->frameStyle(), QFrame::Panel | QFrame::Sunken);
  EXPECT_TRUE(status->autoFillBackground());
}

TEST_F(ControlLayout, PortWindow) {
  OpenMainAndPortWindows();
  const ControlCase cases[] = {
      {11,
       "QComboBox",
       {20, 30, 130, kStandardHeight},
       Face::kCourier,
       10,
       false,
       Align::kNone,
       nullptr},
      {12, "QLabel", {20, 10, 130, 20}, Face::kArial, 9, true, Align::kCentred, "COM - Port"},
      {13, "QPushButton", {170, 30, 75, 26}, Face::kArial, 9, true, Align::kNone, "OK"},
      {14, "QLabel", {20, 62, 225, 20}, Face::kArial, 9, false, Align::kLeft, ""},
  };
  for (const auto& c : cases) Check(c);
  auto* list = qobject_cast<QComboBox*>(toolkit.Control(kPortList));
  EXPECT_FALSE(list->isEditable());
  EXPECT_EQ(list->count(), 0);
}

TEST_F(ControlLayout, SettingsWindow) {
  StartUp(program);
  OpenSettingsWindow(program);
  const ControlCase cases[] = {
      {19,
       "QComboBox",
       {20, 30, 120, kStandardHeight},
       Face::kArial,
       12,
       true,
       Align::kNone,
       nullptr},
      {20, "QLabel", {20, 10, 120, 20}, Face::kArial, 10, false, Align::kCentred, "Baudrate"},
      {21,
       "QComboBox",
       {160, 30, 90, kStandardHeight},
       Face::kArial,
       12,
       true,
       Align::kNone,
       nullptr},
      {22, "QLabel", {160, 10, 90, 20}, Face::kArial, 10, false, Align::kCentred, "Protokoll"},
      {23, "QPushButton", {270, 30, 110, 30}, Face::kArial, 12, true, Align::kNone, "Speichern"},
      {24,
       "QLabel",
       {50, 70, 300, 50},
       Face::kDefault,
       0,
       false,
       Align::kCentred,
       "Bitte wählen Sie das zukünftige Übertragungsprotokoll und die Baudrate mit der das Modem "
       "angesprochen werden soll"},
  };
  for (const auto& c : cases) Check(c);
  for (int list : {kRateList, kFramingList}) {
    EXPECT_FALSE(qobject_cast<QComboBox*>(toolkit.Control(list))->isEditable());
  }
  // The long hint wraps within its field instead of running past the window's edge.
  EXPECT_TRUE(qobject_cast<QLabel*>(toolkit.Control(kSettingsHintControl))->wordWrap());
}

TEST_F(ControlLayout, OpenListDropsDownBelowItself) {
  OpenMainAndPortWindows();
  for (const char* name : {"com1", "com2", "com3"}) {
    toolkit.AddControlItem(kPortList, kAppend, name);
  }
  toolkit.SetControlState(kPortList, 2);
  Settle();
  auto* list = qobject_cast<QComboBox*>(toolkit.Control(kPortList));
  list->showPopup();
  const QWidget* popup = list->view()->window();
  EXPECT_TRUE(popup->isVisible());
  EXPECT_EQ(popup->geometry().top(), list->mapToGlobal(QPoint(0, list->height())).y());
  list->hidePopup();
}

TEST_F(ControlLayout, ControlsGoIntoTheWindowOpenedLast) {
  OpenMainAndPortWindows();
  EXPECT_EQ(toolkit.Control(kStartButton)->window(), toolkit.Window(kMainWindow));
  EXPECT_EQ(toolkit.Control(kPortOkButton)->window(), toolkit.Window(kPortWindow));
  toolkit.CloseWindow(kPortWindow);
  toolkit.CreateButton(40, 0, 0, 10, 10, "x");
  EXPECT_EQ(toolkit.Control(40)->window(), toolkit.Window(kMainWindow));
}

}  // namespace
}  // namespace trelvin2
