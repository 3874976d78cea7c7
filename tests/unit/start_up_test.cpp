// The whole program on the memory toolkit with no device behind the port: start-up order,
// the port and settings choices, and every way out.
#include <gtest/gtest.h>

#include "app/program_run.h"
#include "serial/port_selection.h"
#include "tests/support/fake_serial_link.h"
#include "tests/support/memory_toolkit.h"
#include "ui/settings_flow.h"
#include "ui/windows.h"

namespace trelvin2 {
namespace {

// A program of its own for each case of a table, with com1 free.
struct OneRun {
  OneRun() { link.free_ports = {"com1"}; }
  std::tuple<MemoryToolkit&, FakeSerialLink&, Program&> Parts() { return {toolkit, link, program}; }

  VirtualClock clock;
  MemoryToolkit toolkit{clock};
  FakeSerialLink link;
  Program program{toolkit, link, clock};
};

class ProgramTest : public ::testing::Test {
 protected:
  ProgramTest() { link.free_ports = {"com2", "com5"}; }

  int Run() { return RunProgram(program); }

  // Finishes the port choice and the settings choice with the defaults.
  void ChooseDefaults() {
    toolkit.Click(kPortOkButton);
    toolkit.Click(kSaveButton);
  }

  VirtualClock clock;
  MemoryToolkit toolkit{clock};
  FakeSerialLink link;
  Program program{toolkit, link, clock};
};

TEST_F(ProgramTest, StartUpOpensTheMainWindowWithItsControlsInOrder) {
  StartUp(program);
  EXPECT_EQ(toolkit.windows_opened, (std::vector<int>{kMainWindow}));
  EXPECT_EQ(toolkit.controls_created, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 25, 26, 9}));
  const auto* main = toolkit.FindWindow(kMainWindow);
  EXPECT_EQ(main->title, "RS232-Einstellung für das Trelvin 2");
  EXPECT_EQ((std::tuple{main->x, main->y, main->width, main->height, main->flags}),
            (std::tuple{229, 109, 492, 183, 0xCC0000u}));
  EXPECT_EQ(toolkit.Text(kVersionControl), "Version 3.00");
  EXPECT_EQ(toolkit.Text(kChosenBaudControl), "     Baud  = ");
  EXPECT_EQ(toolkit.Text(kChosenProtocolControl), "Protokoll  = ");
  EXPECT_EQ(toolkit.Text(kStatusLine), "");
  EXPECT_EQ(toolkit.FindControl(kProgressBar)->state, 0);
  EXPECT_FALSE(toolkit.FindControl(kStartButton)->disabled);
  EXPECT_NE(program.banner_image, 0);
  EXPECT_EQ(toolkit.FindControl(kBannerControl)->image, program.banner_image);
}

TEST_F(ProgramTest, FontsAreLoadedAndGivenToTheirControls) {
  StartUp(program);
  struct FontRow {
    int number;
    const char* face;
    int points;
    bool bold;
  };
  const FontRow fonts[] = {{1, "Courier New", 10, false}, {2, "Arial", 9, true},
                           {3, "Arial", 9, false},        {4, "Arial", 11, true},
                           {28, "Arial", 12, true},       {29, "Arial", 10, false}};
  for (const FontRow& f : fonts) {
    SCOPED_TRACE(f.number);
    const auto* font = toolkit.FindFont(f.number);
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(font->face, f.face);
    EXPECT_EQ(font->points, f.points);
    EXPECT_EQ(font->bold, f.bold);
  }
  const std::pair<int, int> control_fonts[] = {{1, 1}, {3, 2}, {4, 3},  {5, 4},  {6, 1},
                                               {7, 1}, {9, 1}, {25, 0}, {26, 0}, {2, 0}};
  for (const auto& [control, font] : control_fonts) {
    SCOPED_TRACE(control);
    EXPECT_EQ(toolkit.FindControl(control)->font, font == 0 ? 0 : toolkit.FontHandle(font));
  }
}

TEST_F(ProgramTest, PortWindowOpensCentredOverTheMainWindowAndIsActive) {
  toolkit.on_wait = [&](MemoryToolkit& tk) {
    if (tk.FindWindow(kPortWindow) == nullptr) return;
    const auto* w = tk.FindWindow(kPortWindow);
    EXPECT_EQ(w->title, "RS232 Port zum Modem");
    EXPECT_EQ(w->centred_over, kMainWindow);
    EXPECT_EQ((std::tuple{w->width, w->height, w->flags}), (std::tuple{258, 90, 0xCC0002u}));
    EXPECT_EQ(tk.ForegroundWindowNumber(), kPortWindow);
    EXPECT_EQ(tk.controls_created.back(), kPortMessageControl);
    tk.on_wait = nullptr;
  };
  toolkit.Close(kPortWindow);
  Run();
}

TEST_F(ProgramTest, DiscoveryListsFreePortsInOrderAndOkOpensTheFirst) {
  toolkit.on_wait = [&](MemoryToolkit& tk) {
    if (tk.FindWindow(kPortWindow) == nullptr) return;
    const auto* list = tk.FindControl(kPortList);
    EXPECT_EQ(list->items, (std::vector<std::string>{"com2", "com5"}));
    EXPECT_EQ(list->hints, (std::vector<std::string>{"/dev/fake-com2", "/dev/fake-com5"}));
    EXPECT_EQ(tk.Text(kPortList), "com2");
    EXPECT_EQ(tk.Text(kPortMessageControl), "");
    tk.on_wait = nullptr;
  };
  ChooseDefaults();
  toolkit.Close(kMainWindow);
  EXPECT_EQ(Run(), 0);
  std::vector<std::string> probes;
  for (int n = 1; n <= 9; ++n) probes.push_back("com" + std::to_string(n) + ":19200,n,8,1");
  probes.push_back("com2:19200,n,8,1");
  EXPECT_EQ(link.opened, probes);
  EXPECT_EQ(link.closed.size(), 2u);  // each probe is closed again; the working port stays open
  EXPECT_EQ(link.open_handles.count(program.working_port), 1u);
}

TEST_F(ProgramTest, NoFreePortShowsTheMessageAndOkPausesThenWaitsAgain) {
  link.free_ports.clear();
  int waits_in_port_window = 0;
  toolkit.on_wait = [&](MemoryToolkit& tk) {
    if (tk.FindWindow(kPortWindow) == nullptr) return;
    ++waits_in_port_window;
    if (waits_in_port_window == 1) {
      EXPECT_EQ(tk.Text(kPortMessageControl), "Kein COM-PORT installiert!!");
      EXPECT_TRUE(tk.FindControl(kPortList)->items.empty());
      tk.Click(kPortOkButton);
    } else {
      EXPECT_EQ(tk.Text(kPortMessageControl), "COM-Port konnte nicht geöffnet werden");
      EXPECT_EQ(clock.pauses_ms, (std::vector<int>{2000}));
      tk.Close(kPortWindow);
    }
  };
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(waits_in_port_window, 2);
  EXPECT_EQ(link.opened.back(), ":19200,n,8,1");  // an empty name, which never opens
  EXPECT_EQ(toolkit.windows_opened, (std::vector<int>{kMainWindow, kPortWindow}));
}

TEST_F(ProgramTest, AFailedOpenCanBeRetriedWithAnotherPort) {
  toolkit.on_wait = [&](MemoryToolkit& tk) {
    if (tk.FindWindow(kSettingsWindow) != nullptr) return tk.Click(kSaveButton);
    if (tk.FindWindow(kPortWindow) == nullptr) return tk.Close(kMainWindow);
    if (link.opened.size() == 9) {
      link.free_ports.erase("com2");  // unplugged after discovery
      tk.Click(kPortOkButton);
    } else if (link.opened.size() == 10) {
      EXPECT_EQ(tk.Text(kPortMessageControl), "COM-Port konnte nicht geöffnet werden");
      tk.Select(kPortList, 1);
      tk.Click(kPortOkButton);
    }
  };
  Run();
  EXPECT_EQ(link.opened.back(), "com5:19200,n,8,1");
  EXPECT_NE(program.working_port, 0);
}

TEST_F(ProgramTest, ClickIntoTheMainWindowMakesThePortWindowActiveAgain) {
  bool checked = false;
  toolkit.FocusAt(0, kMainWindow);
  toolkit.on_wait = [&](MemoryToolkit& tk) {
    if (tk.wait_limits.size() == 2) {
      EXPECT_EQ(tk.ForegroundWindowNumber(), kPortWindow);
      checked = true;
      tk.Close(kPortWindow);
    }
  };
  Run();
  EXPECT_TRUE(checked);
}

// Every way out before the main loop ends with status 0, and nothing reaches any device.
TEST_F(ProgramTest, ClosePathsBeforeTheMainLoop) {
  struct Case {
    const char* what;
    std::vector<int> clicks_then_close;  // controls clicked, then the window closed (last)
    bool port_open_after;
    std::vector<int> windows_opened;
  };
  const Case cases[] = {
      {"port window closed", {kPortWindow}, false, {0, 10}},
      {"main window closed during the port choice", {kMainWindow}, false, {0, 10}},
      {"settings window closed", {kPortOkButton, kSettingsWindow}, true, {0, 10, 27}},
      {"main window closed during the settings", {kPortOkButton, kMainWindow}, true, {0, 10, 27}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    OneRun run;
    auto [tk, case_link, p] = run.Parts();  // references into run
    for (std::size_t i = 0; i + 1 < c.clicks_then_close.size(); ++i)
      tk.Click(c.clicks_then_close[i]);
    tk.Close(c.clicks_then_close.back());
    EXPECT_EQ(RunProgram(p), 0);
    EXPECT_FALSE(tk.script_ran_dry);
    EXPECT_TRUE(tk.released);
    EXPECT_EQ(tk.windows_opened, c.windows_opened);
    EXPECT_EQ(case_link.open_handles.empty(), !c.port_open_after);
    EXPECT_TRUE(case_link.written.empty());
    EXPECT_EQ(p.active_profile, 0);  // the main loop never began
  }
}

TEST_F(ProgramTest, SettingsCodesAndTheMainWindowTexts) {
  struct Case {
    int rate_position;  // -1: leave the default
    int framing_position;
    std::uint8_t baud_code;
    std::uint8_t protocol_code;
    const char* baud_text;
    const char* protocol_text;
  };
  const Case cases[] = {
      {-1, -1, 8, 0, "     Baud  = 115200", "Protokoll  = 8N1"},
      {0, 1, 0, 3, "     Baud  = 300", "Protokoll  = 8O1"},
      {5, 0, 5, 1, "     Baud  = 19200", "Protokoll  = 8E1"},
      {1, 2, 1, 0, "     Baud  = 1200", "Protokoll  = 8N1"},
      {7, -1, 7, 0, "     Baud  = 57600", "Protokoll  = 8N1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.baud_text);
    OneRun run;
    auto [tk, case_link, p] = run.Parts();  // references into run
    tk.Click(kPortOkButton);
    if (c.rate_position >= 0) tk.Select(kRateList, c.rate_position);
    if (c.framing_position >= 0) tk.Select(kFramingList, c.framing_position);
    tk.Click(kSaveButton);
    tk.on_wait = [&](MemoryToolkit& t) {
      if (p.active_profile != kTrelvin2ProfileIndex) return;  // the main loop has not begun
      EXPECT_EQ(t.Text(kChosenBaudControl), c.baud_text);
      EXPECT_EQ(t.Text(kChosenProtocolControl), c.protocol_text);
      t.on_wait = nullptr;
      t.Close(kMainWindow);
    };
    EXPECT_EQ(RunProgram(p), 0);
    EXPECT_EQ(p.settings.baud_code, c.baud_code);
    EXPECT_EQ(p.settings.protocol_code, c.protocol_code);
    EXPECT_EQ(p.active_profile, kTrelvin2ProfileIndex);
    EXPECT_FALSE(tk.script_ran_dry);
  }
}

TEST_F(ProgramTest, SettingsWindowListsAndDefaults) {
  toolkit.Click(kPortOkButton);
  toolkit.on_wait = [&](MemoryToolkit& tk) {
    if (tk.FindWindow(kSettingsWindow) == nullptr) return;
    const auto* w = tk.FindWindow(kSettingsWindow);
    EXPECT_EQ(w->title, "RS232 Konfigurationdaten");
    EXPECT_EQ((std::tuple{w->width, w->height, w->flags, w->centred_over}),
              (std::tuple{400, 110, 0xC80002u, kMainWindow}));
    EXPECT_EQ(tk.FindControl(kRateList)->items,
              (std::vector<std::string>{"300", "1200", "2400", "4800", "9600", "19200", "38400",
                                        "57600", "115200"}));
    EXPECT_EQ(tk.FindControl(kFramingList)->items, (std::vector<std::string>{"8E1", "8O1", "8N1"}));
    EXPECT_EQ(tk.Text(kRateList), "115200");
    EXPECT_EQ(tk.Text(kFramingList), "8N1");
    EXPECT_EQ(tk.FindControl(kSaveButton)->font, tk.FontHandle(28));
    EXPECT_EQ(tk.FindControl(kSettingsHintControl)->font, 0);
    tk.on_wait = nullptr;
    tk.Close(kSettingsWindow);
  };
  Run();
}

// The main loop acts on the start button alone. Other controls do report activity in every
// toolkit (a button pressed, a list choice), so the main window is given a button and a list
// of the test's own once the loop runs, as any program could add them; their events reach the
// loop and must start nothing. A click on a text field reports nothing in any toolkit.
TEST_F(ProgramTest, MainLoopWaitsAtMost100MsAndIgnoresOtherControls) {
  constexpr int kOtherButton = 40;
  constexpr int kOtherList = 41;
  ChooseDefaults();
  bool controls_added = false;
  bool start_button_enabled = false;  // as the last wait before the close found it
  toolkit.on_wait = [&](MemoryToolkit& tk) {
    if (program.active_profile != kTrelvin2ProfileIndex) return;  // the main loop has not begun
    if (!controls_added) {
      controls_added = true;  // the main window is the only one left: they go there
      tk.CreateButton(kOtherButton, 10, 10, 40, 20, "Andere");
      tk.CreateComboBox(kOtherList, 60, 10, 40, 60);
      tk.AddControlItem(kOtherList, kAppend, "eins");
      tk.AddControlItem(kOtherList, kAppend, "zwei");
    }
    const auto* start = tk.FindControl(kStartButton);
    start_button_enabled = start != nullptr && !start->disabled;
  };
  toolkit.ClickAt(5000, kOtherButton);
  toolkit.SelectAt(6000, kOtherList, 1);
  toolkit.ClickAt(7000, kVersionControl);
  toolkit.CloseAt(10000, kMainWindow);
  EXPECT_EQ(Run(), 0);

  EXPECT_EQ(toolkit.events, (std::vector<std::pair<int, int>>{{kControlActivity, kPortOkButton},
                                                              {kControlActivity, kSaveButton},
                                                              {kControlActivity, kOtherButton},
                                                              {kControlActivity, kOtherList},
                                                              {kCloseRequest, -1}}));
  const std::size_t settings_waits = 2;  // port window, settings window
  ASSERT_GT(toolkit.wait_limits.size(), settings_waits + 90);
  for (std::size_t i = settings_waits; i < toolkit.wait_limits.size(); ++i) {
    EXPECT_EQ(toolkit.wait_limits[i], 100);
  }
  EXPECT_TRUE(start_button_enabled);
  EXPECT_TRUE(toolkit.status_texts.empty());
  EXPECT_TRUE(link.written.empty());
  EXPECT_GE(clock.NowUs(), 10'000'000u);
  EXPECT_LT(clock.NowUs(), 10'100'000u);  // ends at the close request, not an idle wait later
}

TEST(ProtocolCodeOf, ComparesExactly) {
  EXPECT_EQ(ProtocolCodeOf("8N1"), 0);
  EXPECT_EQ(ProtocolCodeOf("8E1"), 1);
  EXPECT_EQ(ProtocolCodeOf("8O1"), 3);
  EXPECT_EQ(ProtocolCodeOf("8n1"), std::nullopt);
  EXPECT_EQ(ProtocolCodeOf(""), std::nullopt);
}

}  // namespace
}  // namespace trelvin2
