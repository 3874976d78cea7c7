// Changing controls: lists, progress, colours, fonts, immediate drawing, unknown numbers, and
// the message box.
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

#include "tests/gui/gui_fixture.h"

namespace trelvin2 {
namespace {

class ControlOperations : public GuiTest {
 protected:
  void SetUp() override { StartUp(program); }

  // What really reached the screen, without servicing the window: QWidget::grab() would
  // render afresh and could not tell.
  QImage OnScreen(int control) {
    QWidget* widget = toolkit.Control(control);
    QWidget* window = widget->window();
    const QImage flushed = window->screen()->grabWindow(window->winId()).toImage();
    const QRect area(widget->mapTo(window, QPoint(0, 0)) * flushed.devicePixelRatio(),
                     widget->size() * flushed.devicePixelRatio());
    return flushed.copy(area);
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
  auto* list = qobject_cast<QComboBox*>(toolkit.Control(kPortList));
  EXPECT_EQ(list->itemText(0), "com1");
  EXPECT_EQ(toolkit.GetControlText(kPortList), "com5");
  toolkit.SetControlItemHint(kPortList, 2, "/dev/ttyUSB0");
  EXPECT_EQ(list->itemData(2, Qt::ToolTipRole).toString(), "/dev/ttyUSB0");
}

TEST_F(ControlOperations, ProgressBarPositionStaysWithinItsRange) {
  const std::pair<int, int> cases[] = {{2000, 2000}, {4000, 4000}, {0, 0}, {5000, 4000}, {-5, 0}};
  for (const auto& [asked, shown] : cases) {
    toolkit.SetControlState(kProgressBar, asked);
    EXPECT_EQ(toolkit.GetControlState(kProgressBar), shown) << asked;
  }
}

TEST_F(ControlOperations, ColoursLandInThePalette) {
  toolkit.SetControlColour(kStatusLine, kColourText, Rgb(255, 0, 0));
  toolkit.SetControlColour(kStatusLine, kColourBackground, Rgb(0x11, 0x22, 0x33));
  const QWidget* status = toolkit.Control(kStatusLine);
  EXPECT_EQ(status->palette().color(QPalette::WindowText), QColor(255, 0, 0));
  EXPECT_EQ(status->palette().color(QPalette::Window), QColor(0x11, 0x22, 0x33));
  EXPECT_TRUE(status->autoFillBackground());
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
      {"disabled", kStartButton, [this] { toolkit.DisableControl(kStartButton, 1); }},
  };
  for (const auto& change : changes) {
    SCOPED_TRACE(change.what);
    const QImage before = OnScreen(change.control);
    change.apply();
    EXPECT_NE(OnScreen(change.control), before);
  }
}

TEST_F(ControlOperations, ReplacedTextIsRead) {
  toolkit.SetControlText(kStatusLine, "Sicherheits-Code übertragen");
  EXPECT_EQ(toolkit.GetControlText(kStatusLine), "Sicherheits-Code übertragen");
  toolkit.SetControlText(kStartButton, "Start");
  EXPECT_EQ(toolkit.GetControlText(kStartButton), "Start");
}

TEST_F(ControlOperations, UnknownNumbersChangeNothing) {
  constexpr int kNobody = 99;
  const QString status_before = qobject_cast<QLabel*>(toolkit.Control(kStatusLine))->text();
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
  EXPECT_EQ(qobject_cast<QLabel*>(toolkit.Control(kStatusLine))->text(), status_before);
  EXPECT_EQ(toolkit.Control(kStatusLine)->font().pointSize(), 9);
  // A list operation on a control that is not a list does nothing either.
  toolkit.AddControlItem(kStatusLine, kAppend, "x");
  EXPECT_EQ(toolkit.GetControlText(kStatusLine), status_before.toStdString());
}

TEST_F(ControlOperations, NoWindowNoControl) {
  toolkit.ReleaseAll();
  EXPECT_EQ(toolkit.CreateButton(5, 0, 0, 10, 10, "x"), 0);
  EXPECT_EQ(toolkit.Control(5), nullptr);
}

TEST_F(ControlOperations, SameNumberReplacesTheControl) {
  toolkit.CreateTextField(kStatusLine, 1, 2, 3, 4, "neu", kTextLeft);
  EXPECT_EQ(toolkit.Control(kStatusLine)->geometry(), QRect(1, 2, 3, 4));
  EXPECT_EQ(toolkit.Window(kMainWindow)->findChildren<QLabel*>().size(), 9);
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
  EXPECT_EQ(toolkit.Control(kStatusLine)->font().weight(), QFont::Bold);
  toolkit.SetControlFont(kStatusLine, 0);
  EXPECT_EQ(toolkit.Control(kStatusLine)->font(), QApplication::font());
  toolkit.ReleaseAll();
  EXPECT_EQ(toolkit.FontHandle(30), 0);
}

TEST_F(ControlOperations, InjectedMessageBoxGetsTitleAndText) {
  toolkit.ShowMessageBox("Trelvin 2", "Der Loader amtwortet nicht");
  ASSERT_EQ(message_boxes.size(), 1u);
  EXPECT_EQ(message_boxes[0].first, "Trelvin 2");
  EXPECT_EQ(message_boxes[0].second, "Der Loader amtwortet nicht");
}

TEST_F(ControlOperations, RealMessageBoxIsModalWithOneOkButton) {
  QtToolkit real;
  real.OpenWindow(kMainWindow, 229, 109, 492, 183, kMainWindowTitle, kWindowSizable);
  QString title;
  QString text;
  int buttons = 0;
  QTimer::singleShot(0, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    title = box->windowTitle();
    text = box->text();
    buttons = static_cast<int>(box->buttons().size());
    box->button(QMessageBox::Ok)->click();
  });
  real.ShowMessageBox("Fehler", "Übertragung");
  EXPECT_EQ(title, "Fehler");
  EXPECT_EQ(text, QString::fromUtf8("Übertragung"));
  EXPECT_EQ(buttons, 1);
}

}  // namespace
}  // namespace trelvin2
