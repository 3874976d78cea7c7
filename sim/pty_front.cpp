#include "sim/pty_front.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace trelvin2::sim {
namespace {

// Between replies the loop still wakes this often: a cut or a firmware start is noticed soon.
constexpr std::uint64_t kLongestWaitUs = 50'000;
// While no tool holds the slave the master reports a hang-up at once; it is asked again after
// this pause instead of spinning.
constexpr int kHangUpPauseUs = 2'000;
constexpr std::size_t kReadChunkBytes = 256;

std::uint64_t MonotonicNs() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<std::uint64_t>(now.tv_sec) * 1'000'000'000ull +
         static_cast<std::uint64_t>(now.tv_nsec);
}

timespec FromUs(std::uint64_t us) {
  return timespec{static_cast<time_t>(us / 1'000'000), static_cast<long>(us % 1'000'000) * 1000};
}

}  // namespace

PtyFront::PtyFront(std::FILE* out, bool transcript) : out_(out), transcript_(transcript) {}

PtyFront::~PtyFront() {
  if (master_ >= 0) close(master_);
}

bool PtyFront::Open(std::string& error) {
  master_ = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
  if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) {
    error = std::string("no pseudo-terminal: ") + std::strerror(errno);
    return false;
  }
  char name[128];
  if (ptsname_r(master_, name, sizeof name) != 0) {
    error = std::string("no pseudo-terminal name: ") + std::strerror(errno);
    return false;
  }
  slave_path_ = name;
  // Raw from the start: a tool that sets its own line settings late must still not get echoes.
  termios settings{};
  if (tcgetattr(master_, &settings) == 0) {
    cfmakeraw(&settings);
    cfsetspeed(&settings, B19200);
    tcsetattr(master_, TCSANOW, &settings);
  }
  start_ns_ = MonotonicNs();
  return true;
}

std::uint64_t PtyFront::NowUs() const { return (MonotonicNs() - start_ns_) / 1000; }

void PtyFront::Print(const LineByte& byte) {
  if (transcript_) std::fprintf(out_, "%s\n", TranscriptLine(byte).c_str());
}

void PtyFront::DeliverDueReplies() {
  for (const ReplyByte& reply : model_->TakeReplies(NowUs())) {
    // With no tool on the slave the byte is lost, as on a line with nobody listening.
    [[maybe_unused]] const ssize_t written = write(master_, &reply.value, 1);
    // The transcript tells the line's time; behind an adapter the byte reaches the tool later.
    Print({reply.line_us, Direction::kFromDevice, reply.value});
  }
}

ssize_t PtyFront::ReadFromTool() {
  std::uint8_t bytes[kReadChunkBytes];
  const ssize_t count = read(master_, bytes, sizeof bytes);
  const std::uint64_t now_us = NowUs();
  for (ssize_t i = 0; i < count; ++i) {
    const std::uint64_t arrival = model_->Send(bytes[i], now_us);
    if (!model_->CutUs() || arrival <= *model_->CutUs()) {
      Print({arrival, Direction::kToDevice, bytes[i]});
    }
  }
  return count;
}

void PtyFront::ReadKeys() {
  char keys[kReadChunkBytes];
  const ssize_t count = read(key_fd_, keys, sizeof keys);
  if (count <= 0) {  // standard input closed: no more resets from it
    key_fd_ = -1;
    return;
  }
  if (std::find(keys, keys + count, '\n') == keys + count) return;
  model_->ResetAt(NowUs());
  std::fprintf(out_, "reset: the device restarts into its boot loader\n");
  std::fflush(out_);
}

bool PtyFront::WaitSignal(int signal_fd, int timeout_us) {
  pollfd fd{signal_fd, POLLIN, 0};
  const timespec limit = FromUs(static_cast<std::uint64_t>(timeout_us));
  return ppoll(&fd, 1, &limit, nullptr) > 0;
}

PtyFront::End PtyFront::Serve(DeviceModel& model, int device, int signal_fd,
                              bool stop_at_firmware) {
  model_ = &model;
  bool firmware_reported = false;
  while (true) {
    DeliverDueReplies();
    const std::uint64_t now_us = NowUs();
    if (model_->CutUs() && now_us >= *model_->CutUs()) {
      // The cable is pulled: the tool's port goes away as a USB adapter's would.
      close(master_);
      master_ = -1;
      return End::kCut;
    }
    if (model_->Firmware() && !firmware_reported) {
      firmware_reported = true;
      std::fprintf(out_, "%s\n", FirmwareStartLine(*model_->Firmware(), device).c_str());
      std::fflush(out_);
      if (stop_at_firmware) return End::kFirmwareStarted;
    }
    std::uint64_t wait_us = kLongestWaitUs;
    if (const auto next = model_->NextReplyUs())
      wait_us = std::min(wait_us, *next - std::min(*next, now_us));
    if (const auto cut = model_->CutUs())
      wait_us = std::min(wait_us, *cut - std::min(*cut, now_us));

    pollfd fds[3] = {{master_, POLLIN, 0}, {signal_fd, POLLIN, 0}, {key_fd_, POLLIN, 0}};
    const timespec limit = FromUs(wait_us);
    const int ready = ppoll(fds, key_fd_ >= 0 ? 3 : 2, &limit, nullptr);
    if (ready < 0) {
      if (errno == EINTR) continue;
      return End::kError;
    }
    if (fds[1].revents & POLLIN) return End::kSignal;
    if (key_fd_ >= 0 && fds[2].revents != 0) ReadKeys();
    const bool got_bytes = (fds[0].revents & POLLIN) && ReadFromTool() > 0;
    if (!got_bytes && (fds[0].revents & (POLLIN | POLLHUP | POLLERR))) {
      // No tool holds the slave (not yet, or between discovery's probe and the real open).
      if (WaitSignal(signal_fd,
                     static_cast<int>(std::min<std::uint64_t>(wait_us, kHangUpPauseUs)))) {
        return End::kSignal;
      }
    }
    std::fflush(out_);
  }
}

}  // namespace trelvin2::sim
