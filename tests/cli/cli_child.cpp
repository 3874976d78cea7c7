#include "tests/cli/cli_child.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>

extern char** environ;

namespace trelvin2 {
namespace {

using SteadyClock = std::chrono::steady_clock;
constexpr std::size_t kReadChunkBytes = 4096;  // what a pipe holds at once on Linux (a page)
constexpr auto kGatherStep = std::chrono::milliseconds(20);

}  // namespace

CliChild::CliChild(const std::string& program, const std::vector<std::string>& args) {
  std::vector<std::string> all = {program};
  all.insert(all.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& arg : all) argv.push_back(arg.data());
  argv.push_back(nullptr);
  int out[2];
  int err[2];
  if (pipe(out) != 0) return;
  if (pipe(err) != 0) return;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&actions, err[1], STDERR_FILENO);
  posix_spawn_file_actions_addclose(&actions, out[0]);
  posix_spawn_file_actions_addclose(&actions, err[0]);
  // Standard input from /dev/null, as in a script: no terminal to end a batch from.
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  if (posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), environ) != 0) pid_ = 0;
  posix_spawn_file_actions_destroy(&actions);
  close(out[1]);
  close(err[1]);
  out_ = out[0];
  err_ = err[0];
}

CliChild::~CliChild() {
  if (pid_ != 0) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
  if (out_ >= 0) close(out_);
  if (err_ >= 0) close(err_);
}

void CliChild::Gather(std::chrono::milliseconds limit) {
  std::array<pollfd, 2> fds{{{out_, POLLIN, 0}, {err_, POLLIN, 0}}};
  if (poll(fds.data(), fds.size(), static_cast<int>(limit.count())) <= 0) return;
  std::array<char, kReadChunkBytes> chunk{};
  for (std::size_t i = 0; i < fds.size(); ++i) {
    if ((fds[i].revents & (POLLIN | POLLHUP)) == 0) continue;
    const ssize_t got = read(fds[i].fd, chunk.data(), chunk.size());
    if (got > 0) (i == 0 ? out_text_ : err_text_).append(chunk.data(), static_cast<size_t>(got));
  }
}

bool CliChild::WaitForErr(const std::string& text, std::chrono::milliseconds limit) {
  const auto deadline = SteadyClock::now() + limit;
  while (err_text_.find(text) == std::string::npos) {
    if (SteadyClock::now() >= deadline) return false;
    Gather(kGatherStep);
  }
  return true;
}

void CliChild::CloseOut() {
  if (out_ >= 0) close(out_);
  out_ = -1;  // poll passes over a negative descriptor
}

void CliChild::Signal(int number) {
  if (pid_ != 0) kill(pid_, number);
}

int CliChild::Wait(std::chrono::milliseconds limit) {
  if (pid_ == 0) return -1;
  const auto deadline = SteadyClock::now() + limit;
  for (;;) {
    Gather(kGatherStep);
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) == pid_) {
      pid_ = 0;
      // What is still in the pipes once the child has gone.
      for (int i = 0; i < 10; ++i) Gather(std::chrono::milliseconds(0));
      if (WIFEXITED(status)) return WEXITSTATUS(status);
      return WIFSIGNALED(status) ? 128 + WTERMSIG(status) : -1;
    }
    if (SteadyClock::now() >= deadline) return -1;
  }
}

}  // namespace trelvin2
