// Every way another program can hold a line, against the POSIX link on a pseudo-terminal: the
// port is offered or refused, and a refused port keeps its line settings untouched. Lock files
// are read without ever blocking on them, and the reusable check names the holder.
#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "serial/posix/port_check.h"
#include "serial/posix/posix_serial_link.h"
#include "tests/pty/pty_pair.h"

namespace trelvin2 {
namespace {

namespace fs = std::filesystem;

constexpr const char* kLoaderMode = "com1:19200,n,8,1";

// A PID that surely names no process: a child that has ended and been reaped.
pid_t DeadPid() {
  const pid_t child = fork();
  if (child == 0) _exit(0);
  waitpid(child, nullptr, 0);
  return child;
}

std::string PidLine(pid_t pid) {
  char text[16];
  std::snprintf(text, sizeof text, "%10d\n", static_cast<int>(pid));
  return text;
}

// A session of its own whose controlling terminal is the pty: what a shell in a terminal
// window, or a getty on a serial line, makes of it. Ended by the destructor.
class TerminalSession {
 public:
  explicit TerminalSession(const std::string& tty) {
    int ready[2];
    if (pipe(ready) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      close(ready[0]);
      setsid();
      // Opened without O_NOCTTY by a session leader without a terminal: it becomes its terminal.
      const int fd = open(tty.c_str(), O_RDWR);
      const char ok = (fd >= 0 && tcgetpgrp(fd) == getpid()) ? 1 : 0;
      [[maybe_unused]] const auto written = write(ready[1], &ok, 1);
      pause();
      _exit(0);
    }
    close(ready[1]);
    char ok = 0;
    started_ = read(ready[0], &ok, 1) == 1 && ok == 1;
    close(ready[0]);
  }
  ~TerminalSession() {
    if (pid_ > 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
  }
  TerminalSession(const TerminalSession&) = delete;
  TerminalSession& operator=(const TerminalSession&) = delete;

  bool started() const { return started_; }
  pid_t pid() const { return pid_; }

 private:
  pid_t pid_ = -1;
  bool started_ = false;
};

class PortHolders : public ::testing::Test {
 public:
  void SetUp() override {
    ASSERT_TRUE(pty.ok());
    node = fs::path(pty.slave_path()).filename();
    // The line as a terminal program would have left it: 9600 baud, canonical, echoing. Our
    // probe would make it raw 19200: any trace of that shows here.
    keeper = open(pty.slave_path().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(keeper, 0);
    termios tio{};
    ASSERT_EQ(tcgetattr(keeper, &tio), 0);
    tio.c_lflag |= ICANON | ECHO | ISIG;
    tio.c_iflag |= ICRNL;
    tio.c_oflag |= OPOST | ONLCR;
    cfsetspeed(&tio, B9600);
    ASSERT_EQ(tcsetattr(keeper, TCSANOW, &tio), 0);
    ASSERT_EQ(tcgetattr(keeper, &before), 0);
  }
  void TearDown() override {
    if (keeper >= 0) close(keeper);
  }

  PortHandle Open(PosixSerialLink& with) { return with.SerialOpen(kLoaderMode, 0, 1024, 1024); }

  bool SettingsUntouched() {
    termios now{};
    if (tcgetattr(keeper, &now) != 0) return false;
    return now.c_lflag == before.c_lflag && now.c_iflag == before.c_iflag &&
           now.c_oflag == before.c_oflag && cfgetospeed(&now) == cfgetospeed(&before);
  }

  std::string LockPath(const std::string& name) const { return pty.lock_dir() + "/LCK.." + name; }
  void WriteLock(const std::string& name, const std::string& content) const {
    std::ofstream(LockPath(name)) << content;
  }

  PtyPair pty;
  std::string node;  // "N" of /dev/pts/N
  int keeper = -1;   // a descriptor that keeps the line's settings between the opens
  termios before{};
};

struct HolderCase {
  const char* name;
  // Makes the holder; returns what undoes it (may be empty).
  std::function<std::function<void()>(PortHolders&)> hold;
  bool offered;
  PortVerdict verdict;  // what the reusable check says
};
void PrintTo(const HolderCase& c, std::ostream* os) { *os << c.name; }

// PID 1 is always alive; kill() from a non-root user gives EPERM, which counts as alive too.
constexpr pid_t kLivePid = 1;

std::function<std::function<void()>(PortHolders&)> LockUnder(
    std::function<std::string(const PortHolders&)> name, std::function<std::string()> content) {
  return [name, content](PortHolders& t) -> std::function<void()> {
    const std::string path = t.LockPath(name(t));
    std::ofstream(path) << content();
    return [path] { fs::remove_all(path); };
  };
}

std::string Alias(const PortHolders&) { return "com1"; }
std::string Node(const PortHolders& t) { return t.node; }
std::string PtsUnderscore(const PortHolders& t) { return "pts_" + t.node; }
std::string PtsDash(const PortHolders& t) { return "pts-" + t.node; }
std::string Live() { return PidLine(kLivePid); }
std::string Stale() { return PidLine(DeadPid()); }

std::function<void()> HoldBy(PortHolders& t, int how) {
  const int fd = open(t.pty.slave_path().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
  if (how == LOCK_EX) flock(fd, LOCK_EX | LOCK_NB);
  if (how == 0) ioctl(fd, TIOCEXCL);
  return [fd] {
    ioctl(fd, TIOCNXCL);
    close(fd);
  };
}

const HolderCase kHolderCases[] = {
    {"LiveLockUnderTheAlias", LockUnder(Alias, Live), false, PortVerdict::kLockFile},
    {"LiveLockUnderTheNode", LockUnder(Node, Live), false, PortVerdict::kLockFile},
    {"LiveLockUnderPtsUnderscore", LockUnder(PtsUnderscore, Live), false, PortVerdict::kLockFile},
    {"LiveLockUnderPtsDash", LockUnder(PtsDash, Live), false, PortVerdict::kLockFile},
    {"LiveLockUnderALinkOnTheWay",
     [](PortHolders& t) -> std::function<void()> {
       // com1 -> usb-adapter -> the pty, as an alias pointing at a udev by-id link.
       const std::string com1 = t.pty.device_dir() + "/com1";
       fs::remove(com1);
       fs::create_symlink(t.pty.slave_path(), t.pty.device_dir() + "/usb-adapter");
       fs::create_symlink("usb-adapter", com1);
       std::ofstream(t.LockPath("usb-adapter")) << Live();
       return [&t, com1] {
         fs::remove(com1);
         fs::remove(t.pty.device_dir() + "/usb-adapter");
         fs::create_symlink(t.pty.slave_path(), com1);
         fs::remove(t.LockPath("usb-adapter"));
       };
     },
     false, PortVerdict::kLockFile},
    {"StaleLockUnderTheAlias", LockUnder(Alias, Stale), true, PortVerdict::kFree},
    {"StaleLockUnderTheNode", LockUnder(Node, Stale), true, PortVerdict::kFree},
    {"StaleLockUnderPtsDash", LockUnder(PtsDash, Stale), true, PortVerdict::kFree},
    {"FifoAsLockFile",
     [](PortHolders& t) -> std::function<void()> {
       const std::string path = t.LockPath(t.node);
       mkfifo(path.c_str(), 0666);
       return [path] { fs::remove(path); };
     },
     true, PortVerdict::kFree},
    {"DirectoryAsLockFile",
     [](PortHolders& t) -> std::function<void()> {
       const std::string path = t.LockPath("com1");
       fs::create_directory(path);
       return [path] { fs::remove_all(path); };
     },
     true, PortVerdict::kFree},
    {"LinkToALiveLockFile",
     [](PortHolders& t) -> std::function<void()> {
       const std::string target = t.pty.lock_dir() + "/elsewhere";
       std::ofstream(target) << Live();
       fs::create_symlink(target, t.LockPath("com1"));
       return [&t, target] {
         fs::remove(t.LockPath("com1"));
         fs::remove(target);
       };
     },
     true, PortVerdict::kFree},
    {"OversizedFileNamingALiveProcess",
     [](PortHolders& t) -> std::function<void()> {
       std::ofstream(t.LockPath("com1")) << Live() << std::string(200, ' ');
       return [&t] { fs::remove(t.LockPath("com1")); };
     },
     true, PortVerdict::kFree},
    {"FlockOfAnotherDescriptor", [](PortHolders& t) { return HoldBy(t, LOCK_EX); }, false,
     PortVerdict::kFlock},
    {"ExclusiveFlagOfAnotherDescriptor", [](PortHolders& t) { return HoldBy(t, 0); }, false,
     PortVerdict::kExclusive},
};

class HolderTable : public PortHolders, public ::testing::WithParamInterface<HolderCase> {};

TEST_P(HolderTable, OfferedOrRefusedWithTheSettingsUntouched) {
  const HolderCase& c = GetParam();
  const std::function<void()> undo = c.hold(*this);
  // The check alone changes nothing either.
  const PortCheck check = CheckPort(pty.device_dir() + "/com1", pty.lock_dir());
  EXPECT_EQ(check.verdict, c.verdict) << DescribePortCheck(check);
  EXPECT_TRUE(SettingsUntouched());

  PosixSerialLink link(pty.device_dir(), pty.lock_dir());
  const PortHandle port = Open(link);
  EXPECT_EQ(port != 0, c.offered);
  if (!c.offered) {
    EXPECT_TRUE(SettingsUntouched()) << "a refused line keeps its settings";
  }
  link.SerialClose(port);
  if (undo) undo();
}

INSTANTIATE_TEST_SUITE_P(Holders, HolderTable, ::testing::ValuesIn(kHolderCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(PortHolders, SomeonesTerminalIsRefusedUntouchedAndItsSessionNamed) {
  TerminalSession session(pty.slave_path());
  ASSERT_TRUE(session.started());

  const PortCheck check = CheckPort(pty.device_dir() + "/com1", pty.lock_dir());
  EXPECT_EQ(check.verdict, PortVerdict::kTerminal);
  EXPECT_EQ(check.holder, session.pid());
  EXPECT_EQ(DescribePortCheck(check), pty.slave_path() +
                                          " ist das Terminal einer Sitzung von Prozess " +
                                          std::to_string(session.pid()));

  PosixSerialLink link(pty.device_dir(), pty.lock_dir());
  EXPECT_EQ(Open(link), 0);
  EXPECT_TRUE(SettingsUntouched());
  EXPECT_EQ(pty.ReadMaster(1, 50), "") << "nothing was written to the terminal";
}

TEST_F(PortHolders, TheCheckNamesTheHolderOfALockFile) {
  WriteLock("com1", PidLine(kLivePid));
  const PortCheck check = CheckPort(pty.device_dir() + "/com1", pty.lock_dir());
  EXPECT_EQ(check.verdict, PortVerdict::kLockFile);
  EXPECT_EQ(check.holder, kLivePid);
  EXPECT_EQ(DescribePortCheck(check),
            pty.slave_path() + " ist belegt: Sperrdatei " + LockPath("com1") + " von Prozess 1");
}

TEST_F(PortHolders, TheCheckNamesTheHolderOfAFlock) {
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  const pid_t holder = fork();
  if (holder == 0) {
    const int fd = open(pty.slave_path().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    const char ok = fd >= 0 && flock(fd, LOCK_EX | LOCK_NB) == 0 ? 1 : 0;
    [[maybe_unused]] const auto written = write(ready[1], &ok, 1);
    pause();
    _exit(0);
  }
  char ok = 0;
  ASSERT_EQ(read(ready[0], &ok, 1), 1);
  ASSERT_EQ(ok, 1);
  const PortCheck check = CheckPort(pty.device_dir() + "/com1", pty.lock_dir());
  kill(holder, SIGKILL);
  waitpid(holder, nullptr, 0);
  close(ready[0]);
  close(ready[1]);
  EXPECT_EQ(check.verdict, PortVerdict::kFlock);
  EXPECT_EQ(check.holder, holder);
}

TEST_F(PortHolders, AUserOutsideTheNodesGroupIsToldWhichGroupMayOpenIt) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to become a user without access";
  // "tty" for a pty of most systems; none where ptys belong to root's group.
  const std::string tty_group = NodeGroup(pty.slave_path());
  ASSERT_EQ(chmod(pty.device_dir().c_str(), 0755), 0);  // the folder of names is not the problem
  // A child that gives up root, as a user outside the group: the pty is rw for owner and group.
  const pid_t child = fork();
  if (child == 0) {
    constexpr uid_t kNobody = 65534;
    if (setgroups(0, nullptr) != 0 || setgid(kNobody) != 0 || setuid(kNobody) != 0) _exit(2);
    PosixSerialLink link(pty.device_dir(), "/nonexistent");
    if (Open(link) != 0) _exit(3);
    const SerialLink::AccessDenial denial = link.LastAccessDenial();
    _exit(denial.device == pty.slave_path() && denial.group == tty_group ? 0 : 4);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "2: could not drop root; 3: it opened; 4: wrong denial";
  EXPECT_TRUE(SettingsUntouched());

  // A port that opens leaves no denial behind.
  PosixSerialLink link(pty.device_dir(), pty.lock_dir());
  const PortHandle port = Open(link);
  EXPECT_NE(port, 0);
  EXPECT_TRUE(link.LastAccessDenial().device.empty());
  link.SerialClose(port);
}

}  // namespace
}  // namespace trelvin2
