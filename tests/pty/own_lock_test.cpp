// While the tool holds a port it announces the hold with UUCP lock files, under the name the port
// was opened by and under the node's name, so that minicom and friends stay away; the files go
// with the hold, whichever way the program ends.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "app/program_run.h"
#include "serial/posix/posix_serial_link.h"
#include "tests/pty/pty_pair.h"
#include "tests/support/memory_toolkit.h"
#include "ui/windows.h"

namespace trelvin2 {
namespace {

namespace fs = std::filesystem;

constexpr const char* kLoaderMode = "com1:19200,n,8,1";

std::string Read(const std::string& path) {
  std::ifstream file(path);
  std::stringstream content;
  content << file.rdbuf();
  return content.str();
}

std::string OurPidLine() {
  char text[16];
  std::snprintf(text, sizeof text, "%10d\n", static_cast<int>(getpid()));
  return text;
}

class OwnLock : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(pty.ok());
    alias_lock = pty.lock_dir() + "/LCK..com1";
    node_lock = pty.lock_dir() + "/LCK.." + fs::path(pty.slave_path()).filename().string();
  }

  // Nobody holds the line any more: no lock file of ours, no exclusive flag, no flock.
  void ExpectReleased() {
    EXPECT_FALSE(fs::exists(alias_lock));
    EXPECT_FALSE(fs::exists(node_lock));
    const int other = open(pty.slave_path().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(other, 0);
    int exclusive = 1;
    EXPECT_EQ(ioctl(other, TIOCGEXCL, &exclusive), 0);
    EXPECT_EQ(exclusive, 0);
    EXPECT_EQ(flock(other, LOCK_EX | LOCK_NB), 0);
    close(other);
  }

  PtyPair pty;
  std::string alias_lock, node_lock;
};

TEST_F(OwnLock, HeldUnderBothNamesWithOurPidAndGoneAfterClose) {
  PosixSerialLink link(pty.device_dir(), pty.lock_dir());
  const PortHandle port = link.SerialOpen(kLoaderMode, 0, 1024, 1024);
  ASSERT_NE(port, 0);
  EXPECT_EQ(Read(alias_lock), OurPidLine());
  EXPECT_EQ(Read(node_lock), OurPidLine());
  struct stat info {};
  ASSERT_EQ(stat(alias_lock.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0644u) << "other users' programs must be able to read it";
  // Only the two lock files: the temporary file each was linked from is gone.
  EXPECT_EQ(std::distance(fs::directory_iterator(pty.lock_dir()), fs::directory_iterator()), 2);

  link.SerialClose(port);
  ExpectReleased();
}

TEST_F(OwnLock, AStaleLockIsTakenOverAndRemovedWithOurHold) {
  const pid_t child = fork();
  if (child == 0) _exit(0);
  waitpid(child, nullptr, 0);
  std::ofstream(alias_lock) << child << "\n";

  PosixSerialLink link(pty.device_dir(), pty.lock_dir());
  const PortHandle port = link.SerialOpen(kLoaderMode, 0, 1024, 1024);
  ASSERT_NE(port, 0);
  EXPECT_EQ(Read(alias_lock), OurPidLine());
  link.SerialClose(port);
  ExpectReleased();
}

TEST_F(OwnLock, AFolderWeCannotWriteLeavesThePortUsable) {
  PosixSerialLink link(pty.device_dir(), pty.lock_dir() + "/missing");
  const PortHandle port = link.SerialOpen(kLoaderMode, 0, 1024, 1024);
  EXPECT_NE(port, 0);
  link.SerialClose(port);
}

TEST_F(OwnLock, ALockThatIsNoLongerOursIsLeftAlone) {
  PosixSerialLink link(pty.device_dir(), pty.lock_dir());
  const PortHandle port = link.SerialOpen(kLoaderMode, 0, 1024, 1024);
  ASSERT_NE(port, 0);
  // Someone's tool removed ours and another program took the name meanwhile.
  fs::remove(alias_lock);
  std::ofstream(alias_lock) << "         1\n";
  link.SerialClose(port);
  EXPECT_EQ(Read(alias_lock), "         1\n");
  EXPECT_FALSE(fs::exists(node_lock));
}

// The whole program on the pty with the memory toolkit: the lock files exist while the program
// waits at the chosen point, and are gone once it has ended that way (the link ends with the
// process, as the working port is released with it).
struct WayOut {
  const char* name;
  std::function<void(MemoryToolkit&)> script;  // queued before the run
  int wait_limit;                              // the wait during which the locks are checked
  std::string sent;                            // what reached the device's end
};
void PrintTo(const WayOut& w, std::ostream* os) { *os << w.name; }

class WaysOut : public OwnLock, public ::testing::WithParamInterface<WayOut> {};

TEST_P(WaysOut, LocksHeldWhileWaitingAndGoneAfterTheEnd) {
  const WayOut& way = GetParam();
  VirtualClock clock;
  MemoryToolkit toolkit(clock);
  bool checked = false;
  {
    PosixSerialLink link(pty.device_dir(), pty.lock_dir());
    Program program(toolkit, link, clock);
    way.script(toolkit);
    toolkit.on_wait = [&](MemoryToolkit& tk) {
      if (!checked && tk.wait_limits.back() == way.wait_limit &&
          tk.FindWindow(kPortWindow) == nullptr) {
        EXPECT_EQ(Read(alias_lock), OurPidLine());
        EXPECT_EQ(Read(node_lock), OurPidLine());
        checked = true;
      }
    };
    EXPECT_EQ(RunProgram(program), 0);
    EXPECT_TRUE(toolkit.released);
  }
  EXPECT_TRUE(checked);
  EXPECT_FALSE(toolkit.script_ran_dry);
  ExpectReleased();
  EXPECT_EQ(pty.ReadMaster(way.sent.size() + 1, 100), way.sent);
}

const WayOut kWaysOut[] = {
    {"CloseOfTheSettingsWindow",
     [](MemoryToolkit& tk) {
       tk.Click(kPortOkButton);
       tk.CloseAt(1000, kSettingsWindow);
     },
     kNoTimeLimit, ""},
    {"SignalInTheSettingsWindow",
     [](MemoryToolkit& tk) {
       tk.Click(kPortOkButton);
       tk.SignalAt(1000);
     },
     kNoTimeLimit, ""},
    {"SignalInTheMainLoop",
     [](MemoryToolkit& tk) {
       tk.Click(kPortOkButton);
       tk.Click(kSaveButton);
       tk.SignalAt(1000);
     },
     100, ""},
    // No device answers on the pty: the connect wait goes on until the signal.
    {"SignalInTheConnectWait",
     [](MemoryToolkit& tk) {
       tk.Click(kPortOkButton);
       tk.Click(kSaveButton);
       tk.ClickAt(500, kStartButton);
       tk.SignalAt(2750);
     },
     100, "DDD"},
};

INSTANTIATE_TEST_SUITE_P(Ways, WaysOut, ::testing::ValuesIn(kWaysOut),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace trelvin2
