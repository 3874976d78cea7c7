#include "tests/pty/pty_pair.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <system_error>

namespace trelvin2 {

PtyPair::PtyPair(const std::string& com_name) {
  master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (master_ < 0) return;
  if (grantpt(master_) != 0 || unlockpt(master_) != 0) return;
  const char* name = ptsname(master_);
  if (name == nullptr) return;
  slave_path_ = name;
  if (!LinkAs(devices_.path(), com_name)) slave_path_.clear();
}

PtyPair::~PtyPair() { CloseMaster(); }

bool PtyPair::LinkAs(const std::string& dir, const std::string& name) const {
  std::error_code error;
  std::filesystem::create_symlink(slave_path_, dir + "/" + name, error);
  return !error;
}

void PtyPair::CloseMaster() {
  if (master_ >= 0) close(master_);
  master_ = -1;
}

std::string PtyPair::ReadMaster(std::size_t want, int limit_ms) {
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + std::chrono::milliseconds(limit_ms);
  std::string got;
  while (got.size() < want) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) break;
    pollfd entry{master_, POLLIN, 0};
    if (poll(&entry, 1, static_cast<int>(left)) <= 0 || !(entry.revents & POLLIN)) break;
    char chunk[256];
    const ssize_t n = read(master_, chunk, sizeof chunk);
    if (n <= 0) break;
    got.append(chunk, static_cast<std::size_t>(n));
  }
  return got;
}

}  // namespace trelvin2
