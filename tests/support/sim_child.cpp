#include "tests/support/sim_child.h"

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <system_error>
#include <thread>

extern char** environ;

namespace trelvin2 {
namespace {

using SteadyClock = std::chrono::steady_clock;

// The simulator prints its pty's path and makes the link at once; a loaded 2-core machine may
// still take a while to start a process.
constexpr auto kStartLimit = std::chrono::seconds(10);
constexpr auto kLinkPoll = std::chrono::milliseconds(5);
constexpr auto kExitPoll = std::chrono::milliseconds(10);
// One read takes what a pipe holds at once on Linux (a page).
constexpr std::size_t kReadChunkBytes = 4096;

std::chrono::milliseconds LeftUntil(SteadyClock::time_point deadline) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(deadline - SteadyClock::now());
}

}  // namespace

SimChild::SimChild(const std::string& program, const std::vector<std::string>& args, PtyLink link) {
  std::vector<std::string> all = {program};
  if (link == PtyLink::kAsCom1) {
    std::string pattern = "/tmp/trelvin2-sim-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) return;
    dir_ = pattern;
    link_ = dir_ + "/com1";
    all.insert(all.end(), {"--link", link_});
  }
  all.insert(all.end(), args.begin(), args.end());
  int out[2];
  if (pipe(out) != 0) return;
  std::vector<char*> argv;
  for (std::string& arg : all) argv.push_back(arg.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  posix_spawn_file_actions_addclose(&actions, out[0]);
  const int spawned = posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(out[1]);
  out_ = out[0];
  if (spawned != 0) {
    pid_ = 0;
    return;
  }
  ready_ = ServedWithin(std::chrono::duration_cast<std::chrono::milliseconds>(kStartLimit));
}

SimChild::~SimChild() {
  Stop();
  if (out_ >= 0) close(out_);
  std::error_code ignored;
  if (!dir_.empty()) std::filesystem::remove_all(dir_, ignored);
}

bool SimChild::ServedWithin(std::chrono::milliseconds limit) {
  const auto deadline = SteadyClock::now() + limit;
  pty_ = ReadLine(limit).value_or("");
  if (!pty_.starts_with("/dev/")) return false;
  if (link_.empty()) return true;
  while (!std::filesystem::is_symlink(link_) && SteadyClock::now() < deadline) {
    std::this_thread::sleep_for(kLinkPoll);
  }
  return std::filesystem::is_symlink(link_);
}

std::optional<std::string> SimChild::ReadLine(std::chrono::milliseconds limit) {
  const auto deadline = SteadyClock::now() + limit;
  while (true) {
    const auto end = printed_.find('\n', line_start_);
    if (end != std::string::npos) {
      std::string line = printed_.substr(line_start_, end - line_start_);
      line_start_ = end + 1;
      return line;
    }
    const auto left = LeftUntil(deadline);
    if (out_ < 0 || left.count() <= 0) return std::nullopt;
    pollfd p{out_, POLLIN, 0};
    if (poll(&p, 1, static_cast<int>(left.count())) <= 0) continue;
    char chunk[kReadChunkBytes];
    const ssize_t n = read(out_, chunk, sizeof chunk);
    if (n <= 0) {  // the program closed its output
      if (line_start_ == printed_.size()) return std::nullopt;
      std::string last = printed_.substr(line_start_);
      line_start_ = printed_.size();
      return last;
    }
    printed_.append(chunk, static_cast<std::size_t>(n));
  }
}

std::vector<std::string> SimChild::ReadRest(std::chrono::milliseconds limit) {
  std::vector<std::string> lines;
  const auto deadline = SteadyClock::now() + limit;
  while (const auto line = ReadLine(LeftUntil(deadline))) lines.push_back(*line);
  return lines;
}

int SimChild::Wait(std::chrono::milliseconds limit) {
  const auto deadline = SteadyClock::now() + limit;
  while (pid_ > 0 && SteadyClock::now() < deadline) {
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) == pid_) {
      pid_ = 0;
      return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    std::this_thread::sleep_for(kExitPoll);
  }
  return -1;
}

void SimChild::Signal(int signal) {
  if (pid_ > 0) kill(pid_, signal);
}

void SimChild::CloseOutput() {
  if (out_ >= 0) close(out_);
  out_ = -1;
}

void SimChild::Stop() {
  if (pid_ <= 0) return;
  kill(pid_, SIGTERM);
  waitpid(pid_, nullptr, 0);
  pid_ = 0;
}

}  // namespace trelvin2
