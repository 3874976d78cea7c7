// Pictures of the three windows as the operator sees them, for review and for the README.
#include <QDir>
#include <QImage>
#include <QPixmap>

#include "tests/gui/gui_fixture.h"
#include "ui/settings_flow.h"

namespace trelvin2 {
namespace {

class Screenshots : public GuiTest {
 protected:
  static void Save(QWidget* window, const char* name) {
    ASSERT_NE(window, nullptr);
    const QString dir = QStringLiteral(TRELVIN2_SCREENSHOT_DIR);
    ASSERT_TRUE(QDir().mkpath(dir));
    const QString path = dir + "/" + name;
    ASSERT_TRUE(window->grab().save(path, "PNG")) << path.toStdString();
    EXPECT_EQ(QImage(path).size(), window->size());
  }
};

TEST_F(Screenshots, EachWindow) {
  StartUp(program);
  OpenPortWindow(program);
  for (const char* name : {"com1", "com2"}) toolkit.AddControlItem(kPortList, kAppend, name);
  toolkit.SetControlState(kPortList, 0);
  Settle();
  Save(toolkit.Window(kPortWindow), "port-window.png");
  toolkit.CloseWindow(kPortWindow);

  OpenSettingsWindow(program);
  for (auto rate : kRateTexts) toolkit.AddControlItem(kRateList, kAppend, rate);
  for (auto framing : kFramingTexts) toolkit.AddControlItem(kFramingList, kAppend, framing);
  toolkit.SetControlState(kRateList, 8);
  toolkit.SetControlState(kFramingList, 2);
  Settle();
  Save(toolkit.Window(kSettingsWindow), "settings-window.png");
  toolkit.CloseWindow(kSettingsWindow);

  // The main window a moment after the start button: settings chosen, waiting for the reset.
  toolkit.SetControlText(kChosenBaudControl, std::string(kBaudPrefix) + "115200");
  toolkit.SetControlText(kChosenProtocolControl, std::string(kProtocolPrefix) + "8N1");
  toolkit.DisableControl(kStartButton, 1);
  toolkit.SetControlColour(kStatusLine, kColourBackground, program.status_grey);
  toolkit.SetControlText(kStatusLine, "Reset oder Neustart am Trelvin 2 durchführen");
  toolkit.SetControlState(kProgressBar, 2600);
  Settle();
  Save(toolkit.Window(kMainWindow), "main-window.png");
}

}  // namespace
}  // namespace trelvin2
