// A port another program holds is not opened; one we hold is refused to everyone else.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>

#include "serial/posix/posix_serial_link.h"
#include "tests/pty/pty_pair.h"

namespace trelvin2 {
namespace {

constexpr const char* kLoaderMode = "com1:19200,n,8,1";

class ExclusiveOpenTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(pty.ok()); }

  PortHandle Open() { return link.SerialOpen(kLoaderMode, 0, 1024, 1024); }

  // Another program's descriptor on the same port.
  int OpenAsOther() { return open(pty.slave_path().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK); }

  void WriteLockFile(const std::string& content) {
    const std::string base = std::filesystem::path(pty.slave_path()).filename();
    std::ofstream(pty.lock_dir() + "/LCK.." + base) << content;
  }

  static std::string BinaryPid(pid_t pid) {
    const std::int32_t value = pid;
    return std::string(reinterpret_cast<const char*>(&value), sizeof value);
  }

  // A PID that surely names no process: a child that has ended and been reaped.
  static pid_t DeadPid() {
    const pid_t child = fork();
    if (child == 0) _exit(0);
    waitpid(child, nullptr, 0);
    return child;
  }

  PtyPair pty;
  PosixSerialLink link{pty.device_dir(), pty.lock_dir()};
};

TEST_F(ExclusiveOpenTest, ASecondOpenIsRefusedUntilTheFirstCloses) {
  const PortHandle first = Open();
  ASSERT_NE(first, 0);
  PosixSerialLink other_program(pty.device_dir(), pty.lock_dir());
  EXPECT_EQ(Open(), 0);
  EXPECT_EQ(other_program.SerialOpen(kLoaderMode, 0, 1024, 1024), 0);
  link.SerialClose(first);
  EXPECT_NE(Open(), 0);
}

TEST_F(ExclusiveOpenTest, APortOthersHoldIsRefused) {
  const int other = OpenAsOther();
  ASSERT_GE(other, 0);
  ASSERT_EQ(flock(other, LOCK_EX | LOCK_NB), 0);
  EXPECT_EQ(Open(), 0) << "flock";
  flock(other, LOCK_UN);

  // As root the open itself passes TIOCEXCL; asking for the flag still finds the holder.
  ASSERT_EQ(ioctl(other, TIOCEXCL), 0);
  EXPECT_EQ(Open(), 0) << "TIOCEXCL";
  ioctl(other, TIOCNXCL);
  close(other);

  const PortHandle port = Open();
  EXPECT_NE(port, 0) << "free again";
}

TEST_F(ExclusiveOpenTest, OurHoldKeepsOthersOutAndEndsWithClose) {
  const PortHandle port = Open();
  ASSERT_NE(port, 0);
  const int other = OpenAsOther();
  if (other >= 0) {  // root gets a descriptor despite TIOCEXCL
    int exclusive = 0;
    EXPECT_EQ(ioctl(other, TIOCGEXCL, &exclusive), 0);
    EXPECT_EQ(exclusive, 1);
    EXPECT_NE(flock(other, LOCK_EX | LOCK_NB), 0);
    close(other);
  }
  link.SerialClose(port);

  // The pty keeps its flag past the last close unless we cleared it.
  const int after = OpenAsOther();
  ASSERT_GE(after, 0);
  int exclusive = 1;
  EXPECT_EQ(ioctl(after, TIOCGEXCL, &exclusive), 0);
  EXPECT_EQ(exclusive, 0);
  EXPECT_EQ(flock(after, LOCK_EX | LOCK_NB), 0);
  close(after);
}

TEST_F(ExclusiveOpenTest, LockFilesOfLiveProcessesAreHonouredAndStaleOnesIgnored) {
  struct Case {
    const char* name;
    std::string content;
    bool opens;
  };
  const Case cases[] = {
      {"live, HDB text", std::to_string(getpid()) + "\n", false},
      {"live, padded", "      " + std::to_string(getpid()) + "\n", false},
      {"live, of another user", "1\n", false},  // init: kill() gives EPERM or succeeds
      {"live, old binary form", BinaryPid(getpid()), false},
      {"live, text with a name after the PID", "1 init\n", false},
      {"dead", std::to_string(DeadPid()) + "\n", true},
      {"garbage", "not a pid\n", true},
      {"empty", "", true},
      {"zero", "0\n", true},
  };
  for (const Case& c : cases) {
    WriteLockFile(c.content);
    const PortHandle port = Open();
    EXPECT_EQ(port != 0, c.opens) << c.name;
    link.SerialClose(port);
  }
  // The lock file is only read, never removed or rewritten.
  const std::string base = std::filesystem::path(pty.slave_path()).filename();
  EXPECT_TRUE(std::filesystem::exists(pty.lock_dir() + "/LCK.." + base));
}

// The binary form of a PID whose lowest byte is an ASCII digit ('4' for PID 308) looks like
// text at first sight; read as text it would name another process.
TEST_F(ExclusiveOpenTest, ABinaryLockStartingWithADigitIsStillBinary) {
  constexpr int kTries = 2000;  // a PID's lowest byte is a digit one time in 26
  pid_t holder = -1;
  for (int i = 0; i < kTries && holder < 0; ++i) {
    const pid_t child = fork();
    if (child == 0) {
      pause();
      _exit(0);
    }
    if ((child & 0xFF) >= '0' && (child & 0xFF) <= '9') {
      holder = child;
    } else {
      kill(child, SIGKILL);
      waitpid(child, nullptr, 0);
    }
  }
  ASSERT_GT(holder, 0);
  WriteLockFile(BinaryPid(holder));
  EXPECT_EQ(Open(), 0) << "PID " << holder << " holds it";
  kill(holder, SIGKILL);
  waitpid(holder, nullptr, 0);
  const PortHandle port = Open();
  EXPECT_NE(port, 0) << "stale once PID " << holder << " is gone";
  link.SerialClose(port);
}

}  // namespace
}  // namespace trelvin2
