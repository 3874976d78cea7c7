// Port discovery through the Win32 link under Wine: com1 to com9 are probed in order, COM1 (the
// pty peer's) comes first and is chosen, and "OK" opens it as the working port.
// The test prefix maps com2 to com9 to nothing; Wine still makes them devices that open (with
// no line behind them), so they are listed after com1. On Windows a missing port does not open.
#include <gtest/gtest.h>

#include "app/program_run.h"
#include "serial/port_selection.h"
#include "serial/win32/win32_serial_link.h"
#include "tests/support/memory_toolkit.h"
#include "tests/win32-serial/com1_peer.h"
#include "ui/windows.h"

namespace trelvin2 {
namespace {

TEST(Com1Discovery, ListsCom1AloneAndOkOpensIt) {
  VirtualClock clock;
  MemoryToolkit toolkit{clock};
  Win32SerialLink link;
  Program program{toolkit, link, clock};
  StartUp(program);
  std::vector<std::string> items, hints;
  std::string selected;
  toolkit.on_wait = [&](MemoryToolkit& tk) {
    if (const auto* list = tk.FindControl(kPortList)) {
      items = list->items;
      hints = list->hints;
      selected = tk.Text(kPortList);
    }
  };
  toolkit.Click(kPortOkButton);
  ASSERT_TRUE(PortSelection(program));

  ASSERT_FALSE(items.empty());
  EXPECT_EQ(items[0], "com1");
  for (std::size_t i = 0; i < items.size(); ++i) {
    EXPECT_EQ(items[i], "com" + std::to_string(i + 1)) << "probed in order, never beyond com9";
  }
  EXPECT_EQ(selected, "com1");
  // Wine's mapped ports have no friendly name: no hint rather than a wrong one.
  for (const std::string& hint : hints) EXPECT_EQ(hint, "");
  ASSERT_NE(program.working_port, 0);
  ASSERT_TRUE(Com1Peer(link, program.working_port).Echo({'D'}));
  std::uint8_t reply = 0;
  EXPECT_NE(link.SerialRead(program.working_port, &reply, 1), 0);
  EXPECT_EQ(reply, 'D');
}

}  // namespace
}  // namespace trelvin2
