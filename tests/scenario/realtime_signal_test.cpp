// A signal in the middle of a real update: the program on the POSIX serial link and the system
// clock against trelvin2-sim on a pseudo-terminal. The update runs to its end, the device starts
// its firmware, and the program ends at once after the success message with the port released
// and its lock files gone.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <filesystem>

#include "app/program_run.h"
#include "serial/posix/posix_serial_link.h"
#include "serial/posix/system_clock.h"
#include "tests/support/program_harness.h"
#include "tests/support/sim_child.h"
#include "ui/windows.h"

namespace trelvin2 {
namespace {

using namespace std::chrono_literals;

constexpr auto kRunLimit = 45s;  // past the 30-s connect limit, with room for a busy machine
constexpr auto kSimEndLimit = 5s;

TEST(RealTime, SignalDuringTheUpdateWaitsForItsEndThenReleasesThePortAtOnce) {
  SimChild sim(TRELVIN2_SIM_PROGRAM, {"--reset-now", "--once"}, PtyLink::kAsCom1);
  ASSERT_TRUE(sim.Ready());
  char lock_template[] = "/tmp/trelvin2-locks-XXXXXX";
  ASSERT_NE(mkdtemp(lock_template), nullptr);
  const std::string lock_dir = lock_template;

  VirtualClock script_clock;
  RecordingToolkit toolkit(script_clock, /*real_time=*/true);
  QueueOperatorScript(toolkit, {});
  const auto started = std::chrono::steady_clock::now();
  bool signalled = false;
  bool locked_while_updating = false;
  toolkit.on_wait = [&](MemoryToolkit& tk) {
    if (std::chrono::steady_clock::now() - started > kRunLimit) tk.Close(kMainWindow);
    // The last wait before the erase: the signal comes now, and the erase and the programming
    // follow without another look at the windows.
    if (!signalled && tk.status_texts.size() > 0 &&
        tk.status_texts.back() == "Sicherheits-Code wird übertragen") {
      locked_while_updating = std::filesystem::exists(lock_dir + "/LCK..com1");
      tk.SignalAt(script_clock.NowUs() / 1000);
      signalled = true;
    }
  };
  {
    PosixSerialLink link(sim.DeviceDir(), lock_dir);
    SystemClock clock;
    Program program(toolkit, link, clock);
    EXPECT_EQ(RunProgram(program), 0);
  }
  const auto success = toolkit.status_real_times.back();
  const auto ended = std::chrono::steady_clock::now();
  EXPECT_TRUE(signalled);
  EXPECT_TRUE(locked_while_updating);
  EXPECT_EQ(toolkit.MainWindow().status, "Update der Schnittstelle erfogreich beendet");
  EXPECT_LT(ended - success, 1s) << "no 3-s wait after a signal";
  EXPECT_TRUE(std::filesystem::is_empty(lock_dir)) << "our lock files went with the port";
  std::filesystem::remove_all(lock_dir);

  const auto lines = sim.ReadRest(kSimEndLimit);
  EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [](const auto& line) {
    return line.starts_with("firmware: 115200 baud 8N1");
  })) << ::testing::PrintToString(lines);
  EXPECT_FALSE(std::any_of(lines.begin(), lines.end(), [](const auto& line) {
    return line.starts_with("violation");
  })) << ::testing::PrintToString(lines);
}

}  // namespace
}  // namespace trelvin2
