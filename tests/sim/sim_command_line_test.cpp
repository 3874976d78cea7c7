// trelvin2-sim started as a user starts it, with the mistakes people make on a command line:
// each gives one line on standard error and a status, serves nothing, and changes no file.
// And the ends a user meets: a closed terminal, a closed pipe, a folder gone before exit.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "tests/pty/temp_dir.h"
#include "tests/support/sim_child.h"

extern char** environ;

namespace trelvin2::sim {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// A refusal comes at once; a program that blocks on a FIFO or reads /dev/zero for ever does not
// end within this time on even a busy machine.
constexpr auto kRefusalLimit = std::chrono::seconds(5);
constexpr auto kEndLimit = std::chrono::milliseconds(5000);
constexpr auto kPoll = std::chrono::milliseconds(10);
constexpr int kExitUsage = 2;

struct Ended {
  int status = -1;  // -1: still running at the limit (then killed) or ended by a signal
  std::string out;
  std::string err;
};

// Runs the program to its end, with its output and error output gathered apart.
Ended RunToEnd(const std::vector<std::string>& args) {
  std::vector<std::string> all = {TRELVIN2_SIM_PROGRAM};
  all.insert(all.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& arg : all) argv.push_back(arg.data());
  argv.push_back(nullptr);
  int out[2];
  int err[2];
  if (pipe(out) != 0 || pipe(err) != 0) return {};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&actions, err[1], STDERR_FILENO);
  posix_spawn_file_actions_addclose(&actions, out[0]);
  posix_spawn_file_actions_addclose(&actions, err[0]);
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(out[1]);
  close(err[1]);
  Ended ended;
  const auto deadline = Clock::now() + kRefusalLimit;
  pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
  std::string* texts[2] = {&ended.out, &ended.err};
  int open_pipes = 2;
  while (spawned == 0 && open_pipes > 0 && Clock::now() < deadline) {
    if (poll(fds, 2, static_cast<int>(kPoll.count())) <= 0) continue;
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || fds[i].revents == 0) continue;
      char chunk[4096];
      const ssize_t n = read(fds[i].fd, chunk, sizeof chunk);
      if (n > 0) {
        texts[i]->append(chunk, static_cast<std::size_t>(n));
      } else {
        fds[i].fd = -1;
        --open_pipes;
      }
    }
  }
  close(out[0]);
  close(err[0]);
  if (spawned != 0) return ended;
  int status = 0;
  if (open_pipes > 0) kill(pid, SIGKILL);  // still running: this is the fault under test
  waitpid(pid, &status, 0);
  if (open_pipes == 0 && WIFEXITED(status)) ended.status = WEXITSTATUS(status);
  return ended;
}

// What a folder holds: each name with its kind, size and link target, not following links.
std::map<std::string, std::string> Contents(const std::string& folder) {
  std::map<std::string, std::string> contents;
  for (const auto& entry : fs::directory_iterator(folder)) {
    struct stat info {};
    lstat(entry.path().c_str(), &info);
    std::string what = std::to_string(info.st_mode) + " " + std::to_string(info.st_size);
    if (S_ISLNK(info.st_mode)) what += " -> " + fs::read_symlink(entry.path()).string();
    contents[entry.path().filename().string()] = what;
  }
  return contents;
}

void WriteFile(const std::string& path, std::size_t size) {
  std::ofstream(path, std::ios::binary) << std::string(size, '\x5A');
}

struct BadInput {
  const char* name;
  std::function<void(const TempDir&)> prepare;
  std::vector<std::string> args;  // "@" at the start of an argument stands for the folder
  const char* message;            // what the one line of error output says
};

class BadInputTest : public testing::TestWithParam<BadInput> {};

TEST_P(BadInputTest, OneLineAStatusAndNoFileChanged) {
  TempDir dir;
  GetParam().prepare(dir);
  const auto before = Contents(dir.path());
  std::vector<std::string> args;
  for (const std::string& arg : GetParam().args)
    args.push_back(arg.starts_with("@") ? dir.path() + arg.substr(1) : arg);

  const Ended ended = RunToEnd(args);
  EXPECT_EQ(ended.status, kExitUsage) << ended.err;
  EXPECT_TRUE(ended.err.starts_with("trelvin2-sim: ")) << ended.err;
  EXPECT_NE(ended.err.find(GetParam().message), std::string::npos) << ended.err;
  EXPECT_EQ(std::count(ended.err.begin(), ended.err.end(), '\n'), 1) << ended.err;
  // A script that reads the pty's path from the first line must not think it runs.
  EXPECT_EQ(ended.out, "");
  EXPECT_EQ(Contents(dir.path()), before);
}

const auto kNothing = [](const TempDir&) {};

INSTANTIATE_TEST_SUITE_P(
    CommandLine, BadInputTest,
    testing::Values(
        BadInput{"FlashIsAFolder",
                 [](const TempDir& d) { fs::create_directory(d / "memory"); },
                 {"--flash", "@/memory"},
                 "is a folder, not a flash file"},
        BadInput{"FlashIsEndless", kNothing, {"--flash", "/dev/zero"}, "is not a regular file"},
        BadInput{"FlashIsAFifo",
                 [](const TempDir& d) { mkfifo((d / "memory").c_str(), 0600); },
                 {"--flash", "@/memory"},
                 "is not a regular file"},
        // Refused by its size before a byte of it is read.
        BadInput{"FlashIsHuge",
                 [](const TempDir& d) { WriteFile(d / "memory", 64u << 20); },
                 {"--flash", "@/memory"},
                 "holds 67108864 bytes, not 8192"},
        BadInput{"FlashIsShort",
                 [](const TempDir& d) { WriteFile(d / "memory", 8191); },
                 {"--flash", "@/memory"},
                 "holds 8191 bytes, not 8192"},
        BadInput{"FlashInAFolderThatIsMissing",
                 kNothing,
                 {"--flash", "@/gone/memory"},
                 "cannot be written: there is no folder"},
        BadInput{"LinkOverAForeignSymlink",
                 [](const TempDir& d) { fs::create_symlink("/dev/null", d / "com1"); },
                 {"--link", "@/com1"},
                 "already links to /dev/null, not made by trelvin2-sim; not replaced"},
        BadInput{"LinkOverAFile",
                 [](const TempDir& d) { WriteFile(d / "com1", 3); },
                 {"--link", "@/com1"},
                 "exists and is not a symlink"},
        BadInput{"LinkInAFolderThatIsMissing",
                 kNothing,
                 {"--link", "@/gone/com1"},
                 "No such file or directory"},
        BadInput{"ResetAfterThatWouldWrap",
                 kNothing,
                 {"--reset-after", "18446744073709552"},
                 "--reset-after needs milliseconds from 0 to 86400000"},
        BadInput{"ResetAfterNegative",
                 kNothing,
                 {"--reset-after", "-5"},
                 "--reset-after needs milliseconds"},
        BadInput{"NoDevices", kNothing, {"--devices", "0"}, "--devices needs a count from 1"},
        BadInput{"FlashWithDevices",
                 kNothing,
                 {"--devices", "2", "--flash", "@/memory"},
                 "does not go with --devices"},
        BadInput{"UnknownFault", kNothing, {"--fault", "reply:"}, "--fault reply:"},
        BadInput{"UnknownOption", kNothing, {"--baud", "9600"}, "unknown option '--baud'"}),
    [](const auto& info) { return info.param.name; });

// Started with a link in a folder of the test's own; ended by the test.
struct LinkedSim {
  TempDir dir;
  SimChild sim{TRELVIN2_SIM_PROGRAM, {"--link", dir / "com1"}, PtyLink::kNone};
};

bool Gone(const std::string& path) {
  struct stat info {};
  return lstat(path.c_str(), &info) != 0;
}

TEST(SimEnds, HangUpAndTerminateRemoveTheLink) {
  for (const int signal : {SIGHUP, SIGTERM, SIGINT}) {
    LinkedSim run;
    ASSERT_TRUE(run.sim.Ready()) << run.sim.Printed();
    ASSERT_TRUE(fs::is_symlink(run.dir / "com1"));
    run.sim.Signal(signal);
    EXPECT_EQ(run.sim.Wait(kEndLimit), 0) << signal;
    EXPECT_TRUE(Gone(run.dir / "com1")) << signal;
  }
}

// "trelvin2-sim --transcript | head -1": the pipe closes after the first line, and the next
// transcript line must end the program as cleanly as a SIGTERM.
TEST(SimEnds, AClosedPipeRemovesTheLink) {
  TempDir dir;
  SimChild sim(TRELVIN2_SIM_PROGRAM, {"--reset-now", "--transcript", "--link", dir / "com1"},
               PtyLink::kNone);
  ASSERT_TRUE(sim.Ready()) << sim.Printed();
  sim.CloseOutput();
  const int port = open((dir / "com1").c_str(), O_RDWR | O_NOCTTY);
  ASSERT_GE(port, 0);
  ASSERT_EQ(write(port, "D", 1), 1);
  EXPECT_EQ(sim.Wait(kEndLimit), 0);
  EXPECT_TRUE(Gone(dir / "com1"));
  close(port);
}

TEST(SimLink, ALinkOfAnotherRunningSimIsNotTaken) {
  LinkedSim first;
  ASSERT_TRUE(first.sim.Ready());
  const auto target = fs::read_symlink(first.dir / "com1");
  const Ended second = RunToEnd({"--link", first.dir / "com1"});
  EXPECT_EQ(second.status, kExitUsage);
  EXPECT_NE(second.err.find("is served by another trelvin2-sim"), std::string::npos) << second.err;
  EXPECT_EQ(fs::read_symlink(first.dir / "com1"), target);
}

// A run killed outright leaves its link behind; the pty number may meanwhile name another
// terminal. The next run takes the link over, since it knows the link as one of this program's.
TEST(SimLink, ALinkLeftByAKilledRunIsReplaced) {
  TempDir dir;
  {
    SimChild killed(TRELVIN2_SIM_PROGRAM, {"--link", dir / "com1"}, PtyLink::kNone);
    ASSERT_TRUE(killed.Ready());
    killed.Signal(SIGKILL);
    killed.Wait(kEndLimit);
  }
  ASSERT_TRUE(fs::is_symlink(dir / "com1"));
  // The kernel gives the lowest free pty number: most likely the one the killed run had.
  const int other_terminal = posix_openpt(O_RDWR | O_NOCTTY);
  ASSERT_GE(other_terminal, 0);
  ASSERT_EQ(grantpt(other_terminal) | unlockpt(other_terminal), 0);
  SimChild next(TRELVIN2_SIM_PROGRAM, {"--link", dir / "com1"}, PtyLink::kNone);
  EXPECT_TRUE(next.Ready()) << next.Printed();
  EXPECT_EQ(fs::read_symlink(dir / "com1").string(), next.PtyPath());
  next.Stop();
  EXPECT_TRUE(Gone(dir / "com1"));
  close(other_terminal);
}

TEST(SimFlash, KeptAcrossRunsAndAFailedWriteIsAFailure) {
  TempDir dir;
  fs::create_directory(dir / "kept");
  const std::string memory = dir / "kept/memory.bin";
  {
    SimChild sim(TRELVIN2_SIM_PROGRAM, {"--erased", "--flash", memory}, PtyLink::kNone);
    ASSERT_TRUE(sim.Ready());
    sim.Signal(SIGTERM);
    EXPECT_EQ(sim.Wait(kEndLimit), 0);
  }
  ASSERT_EQ(fs::file_size(memory), 8192u);
  // The folder goes away while the session runs: the memory cannot be kept, and says so.
  SimChild sim(TRELVIN2_SIM_PROGRAM, {"--flash", memory}, PtyLink::kNone);
  ASSERT_TRUE(sim.Ready());
  fs::remove_all(dir / "kept");
  sim.Signal(SIGTERM);
  EXPECT_EQ(sim.Wait(kEndLimit), 1);
}

}  // namespace
}  // namespace trelvin2::sim
