// pty_peer --link PATH --pid-file FILE   starts in the background once PATH names its pty
// pty_peer --stop FILE                    ends the peer whose process id FILE holds
//
// The device's end of a serial line for tests that run under Wine, where COM1 is mapped to
// PATH: the test steers the peer through the line itself (tests/pty-peer/peer_commands.h).
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "tests/pty-peer/peer_commands.h"

namespace {

using namespace trelvin2;
using SteadyClock = std::chrono::steady_clock;

// A command's bytes come in one write from the test; a pause this long inside one means the
// test is gone or garbled, and the peer starts over with the next byte.
constexpr int kCommandByteLimitMs = 1000;
// Nobody left to stop the peer (a test run killed halfway): it ends by itself after this long
// without a command.
constexpr int kIdleLimitMs = 10 * 60 * 1000;

volatile sig_atomic_t stop_requested = 0;
void OnStop(int) { stop_requested = 1; }

struct Pty {
  int master = -1;
  int slave = -1;  // held, so that the master sees no hang-up while no test has the port open
};

void ClosePty(Pty& pty) {
  if (pty.slave >= 0) close(pty.slave);
  if (pty.master >= 0) close(pty.master);
  pty = {};
}

// A raw pty whose slave the link at link_path names, replaced atomically: an open of the link
// reaches either the old pty or the new one, never nothing.
std::optional<Pty> MakePty(const std::string& link_path) {
  Pty pty;
  pty.master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (pty.master < 0 || grantpt(pty.master) != 0 || unlockpt(pty.master) != 0) {
    ClosePty(pty);
    return std::nullopt;
  }
  const std::string slave_path = ptsname(pty.master);
  pty.slave = open(slave_path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
  termios tio{};
  if (pty.slave < 0 || tcgetattr(pty.slave, &tio) != 0) {
    ClosePty(pty);
    return std::nullopt;
  }
  cfmakeraw(&tio);
  tcsetattr(pty.slave, TCSANOW, &tio);

  const std::string temporary = link_path + ".new";
  std::error_code error;
  std::filesystem::remove(temporary, error);
  std::filesystem::create_symlink(slave_path, temporary, error);
  if (!error) std::filesystem::rename(temporary, link_path, error);
  if (error) {
    ClosePty(pty);
    return std::nullopt;
  }
  return pty;
}

// Up to want bytes within limit_ms; fewer when the time runs out or the line fails.
std::string ReadFor(int fd, std::size_t want, int limit_ms) {
  const auto deadline = SteadyClock::now() + std::chrono::milliseconds(limit_ms);
  std::string got;
  while (got.size() < want && !stop_requested) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - SteadyClock::now());
    if (left.count() <= 0) break;
    pollfd entry{fd, POLLIN, 0};
    if (poll(&entry, 1, static_cast<int>(left.count())) <= 0) break;
    char chunk[256];
    const ssize_t n = read(fd, chunk, std::min(sizeof chunk, want - got.size()));
    if (n <= 0) break;
    got.append(chunk, static_cast<std::size_t>(n));
  }
  return got;
}

void WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
}

unsigned Number(std::string_view bytes) {
  unsigned value = 0;
  for (std::size_t i = bytes.size(); i-- > 0;)
    value = value << 8 | static_cast<std::uint8_t>(bytes[i]);
  return value;
}

std::string LineReport(int slave) {
  termios tio{};
  tcgetattr(slave, &tio);
  unsigned baud = 0;
  switch (cfgetospeed(&tio)) {
    case B9600:
      baud = 9600;
      break;
    case B19200:
      baud = 19200;
      break;
    case B38400:
      baud = 38400;
      break;
    case B57600:
      baud = 57600;
      break;
    case B115200:
      baud = 115200;
      break;
    default:
      baud = 0;
  }
  int data_bits = 8;
  switch (tio.c_cflag & CSIZE) {
    case CS5:
      data_bits = 5;
      break;
    case CS6:
      data_bits = 6;
      break;
    case CS7:
      data_bits = 7;
      break;
    default:
      data_bits = 8;
  }
  std::uint8_t flags = 0;
  if (tio.c_cflag & CSTOPB) flags |= peer::kTwoStopBits;
  if (tio.c_cflag & PARENB) flags |= peer::kParity;
  if (tio.c_cflag & CRTSCTS) flags |= peer::kHardwareFlow;
  if (tio.c_iflag & (IXON | IXOFF)) flags |= peer::kSoftwareFlow;
  if ((tio.c_lflag & (ICANON | ECHO | ISIG | IEXTEN)) || (tio.c_oflag & OPOST) ||
      (tio.c_iflag & (ICRNL | INLCR | IGNCR | ISTRIP))) {
    flags |= peer::kNotRaw;
  }
  std::string report;
  for (int i = 0; i < 4; ++i) report += static_cast<char>(baud >> (8 * i) & 0xFF);
  report += static_cast<char>(data_bits);
  report += static_cast<char>(flags);
  return report;
}

struct Event {
  int at_ms;
  std::string bytes;
  bool hang_up;
};

class Peer {
 public:
  explicit Peer(std::string link_path) : link_path_(std::move(link_path)) {}

  bool Start() {
    std::optional<Pty> pty = MakePty(link_path_);
    if (!pty) return false;
    pty_ = *pty;
    return true;
  }

  void Run() {
    auto last_command = SteadyClock::now();
    while (!stop_requested) {
      int wait_ms = 1000;  // to look at the stop flag and the idle limit now and then
      if (next_event_ < play_.size()) {
        const auto due = play_start_ + std::chrono::milliseconds(play_[next_event_].at_ms);
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(due - SteadyClock::now());
        wait_ms = static_cast<int>(std::max<std::int64_t>(0, left.count()));
      }
      pollfd entry{pty_.master, POLLIN, 0};
      const int ready = poll(&entry, 1, wait_ms);
      if (ready > 0 && (entry.revents & POLLIN)) {
        last_command = SteadyClock::now();
        Command();
      } else if (next_event_ < play_.size()) {
        if (SteadyClock::now() >=
            play_start_ + std::chrono::milliseconds(play_[next_event_].at_ms)) {
          Send(play_[next_event_++]);
        }
      } else if (SteadyClock::now() - last_command > std::chrono::milliseconds(kIdleLimitMs)) {
        break;
      }
    }
    ClosePty(pty_);
    std::error_code error;
    std::filesystem::remove(link_path_, error);
  }

 private:
  void Send(const Event& event) {
    if (event.hang_up) {
      HangUp();
    } else {
      WriteAll(pty_.master, event.bytes);
    }
  }

  // A fresh pty takes the link first, then the old one goes: the test's open handle sees the
  // hang-up, and its next open of COM1 reaches the new pty.
  void HangUp() {
    std::optional<Pty> fresh = MakePty(link_path_);
    ClosePty(pty_);
    if (fresh) pty_ = *fresh;
    play_.clear();
    next_event_ = 0;
  }

  std::string Take(std::size_t count) { return ReadFor(pty_.master, count, kCommandByteLimitMs); }

  void Command() {
    // A new command ends a play that is still going.
    play_.clear();
    next_event_ = 0;
    const std::string letter = Take(1);
    if (letter.size() != 1) return;
    switch (static_cast<std::uint8_t>(letter[0])) {
      case peer::kPlay: {
        const std::string count = Take(1);
        if (count.size() != 1) return;
        std::vector<Event> events;
        for (unsigned i = 0; i < Number(count); ++i) {
          const std::string head = Take(3);
          if (head.size() != 3) return;
          const unsigned length = static_cast<std::uint8_t>(head[2]);
          Event event{
              static_cast<int>(Number(head.substr(0, 2))), {}, length == peer::kHangUpEvent};
          if (!event.hang_up) {
            event.bytes = Take(length);
            if (event.bytes.size() != length) return;
          }
          events.push_back(std::move(event));
        }
        play_ = std::move(events);
        play_start_ = SteadyClock::now();
        break;
      }
      case peer::kEcho: {
        const std::string length = Take(2);
        if (length.size() != 2) return;
        const std::string bytes = Take(Number(length));
        WriteAll(pty_.master, bytes);
        break;
      }
      case peer::kLineReport:
        WriteAll(pty_.master, LineReport(pty_.slave));
        break;
      case peer::kHangUp:
        HangUp();
        break;
      default:  // kStop and anything unknown: nothing more to do
        break;
    }
  }

  std::string link_path_;
  Pty pty_;
  std::vector<Event> play_;
  std::size_t next_event_ = 0;
  SteadyClock::time_point play_start_;
};

int Stop(const std::string& pid_file) {
  std::ifstream in(pid_file);
  pid_t pid = 0;
  if (!(in >> pid) || pid <= 0) return 0;  // never started, or stopped already
  if (kill(pid, SIGTERM) == 0) {
    // The peer looks at its flag at least once a second.
    for (int i = 0; i < 300 && kill(pid, 0) == 0; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  }
  std::filesystem::remove(pid_file);
  return 0;
}

int Usage() {
  std::fprintf(stderr,
               "usage: pty_peer --link PATH --pid-file FILE\n"
               "       pty_peer --stop FILE\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::string link_path;
  std::string pid_file;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string_view option = argv[i];
    if (option == "--stop") return Stop(argv[i + 1]);
    if (option == "--link") {
      link_path = argv[i + 1];
    } else if (option == "--pid-file") {
      pid_file = argv[i + 1];
    } else {
      return Usage();
    }
  }
  if (link_path.empty() || pid_file.empty()) return Usage();

  Peer peer(link_path);
  if (!peer.Start()) {
    std::fprintf(stderr, "pty_peer: cannot make a pty linked as %s: %s\n", link_path.c_str(),
                 std::strerror(errno));
    return 1;
  }
  // Into the background with the pty ready, so that the caller (a ctest fixture) goes on; with
  // standard output and error closed, or ctest would wait for them.
  const pid_t child = fork();
  if (child < 0) return 1;
  if (child > 0) {
    std::ofstream(pid_file) << child << '\n';
    return 0;
  }
  setsid();
  const int null = open("/dev/null", O_RDWR);
  dup2(null, STDIN_FILENO);
  dup2(null, STDOUT_FILENO);
  dup2(null, STDERR_FILENO);
  if (null > STDERR_FILENO) close(null);
  signal(SIGTERM, OnStop);
  signal(SIGINT, OnStop);
  signal(SIGHUP, SIG_IGN);
  peer.Run();
  return 0;
}
