// The operator's port choice over real ptys named by the com-name mapping: discovery probes
// com1 to com9 through the POSIX link, and "OK" opens the first free one.
#include <gtest/gtest.h>

#include "app/program_run.h"
#include "serial/port_selection.h"
#include "serial/posix/posix_serial_link.h"
#include "tests/pty/pty_pair.h"
#include "tests/support/memory_toolkit.h"
#include "ui/windows.h"

namespace trelvin2 {
namespace {

TEST(PortChoiceOnPtys, ListsCom2ThenCom5AndOkOpensCom2) {
  PtyPair com2("com2");
  PtyPair com5("com5");
  ASSERT_TRUE(com2.ok() && com5.ok());
  ASSERT_TRUE(com5.LinkAs(com2.device_dir(), "com5"));

  VirtualClock clock;
  MemoryToolkit toolkit{clock};
  PosixSerialLink link(com2.device_dir(), com2.lock_dir());
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

  EXPECT_EQ(items, (std::vector<std::string>{"com2", "com5"}));
  EXPECT_EQ(hints, (std::vector<std::string>{com2.slave_path(), com5.slave_path()}));
  EXPECT_EQ(selected, "com2");
  ASSERT_NE(program.working_port, 0);

  // The working port is com2 and holds it; com5 was probed and let go again.
  const std::uint8_t connect = 'D';
  EXPECT_EQ(link.SerialWrite(program.working_port, &connect, 1), 1);
  EXPECT_EQ(com2.ReadMaster(1, 2000), "D");
  EXPECT_EQ(link.SerialOpen("com2:19200,n,8,1", 0, 1024, 1024), 0);
  const PortHandle probe = link.SerialOpen("com5:19200,n,8,1", 0, 1024, 1024);
  EXPECT_NE(probe, 0);
  link.SerialClose(probe);
}

}  // namespace
}  // namespace trelvin2
