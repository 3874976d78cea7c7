// Figures for the serial link and the clock on this machine, over a pseudo-terminal:
//   - a 1-byte read with no data (the port limits make it 110 ms; never less),
//   - the time from sending a command byte to holding a 2-byte reply from a peer that answers at
//     once (what an acknowledged loader command costs beyond the device's own time),
//   - Pause(2), the gap between the security-code bytes.
// Prints min / median / max in milliseconds. Run: build/bench_serial
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "serial/posix/posix_serial_link.h"
#include "serial/posix/system_clock.h"

namespace {

using trelvin2::PortHandle;
using trelvin2::PosixSerialLink;

constexpr int kTries = 200;
constexpr int kPeerPollMs = 10;  // how often the answering peer looks for the end of the run

void Report(const char* what, std::vector<double> ms) {
  std::sort(ms.begin(), ms.end());
  std::printf("%-34s min %8.3f  median %8.3f  max %8.3f ms  (%zu tries)\n", what, ms.front(),
              ms[ms.size() / 2], ms.back(), ms.size());
}

std::vector<double> Measure(const std::function<void()>& action) {
  std::vector<double> ms;
  for (int i = 0; i < kTries; ++i) {
    const auto began = std::chrono::steady_clock::now();
    action();
    ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - began)
                     .count());
  }
  return ms;
}

// Echoes every byte it reads as the byte and '!', as the loader acknowledges a command.
void AnswerAtOnce(int master, const std::atomic<bool>& stop) {
  while (!stop) {
    pollfd entry{master, POLLIN, 0};
    if (poll(&entry, 1, kPeerPollMs) <= 0) continue;
    char command[64];
    const ssize_t n = read(master, command, sizeof command);
    if (n <= 0) return;
    for (ssize_t i = 0; i < n; ++i) {
      const char reply[2] = {command[i], '!'};
      if (write(master, reply, sizeof reply) != 2) return;
    }
  }
}

}  // namespace

int main() {
  const int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
    std::perror("posix_openpt");
    return 1;
  }
  std::string devices = "/tmp/trelvin2-bench-XXXXXX";
  if (mkdtemp(devices.data()) == nullptr) {
    std::perror("mkdtemp");
    return 1;
  }
  std::filesystem::create_symlink(ptsname(master), devices + "/com1");

  PosixSerialLink link(devices, devices);
  const PortHandle port = link.SerialOpen("com1:19200,n,8,1", 0, 1024, 1024);
  if (port == 0) {
    std::fprintf(stderr, "cannot open the pty as com1\n");
    return 1;
  }
  std::printf("pty %s as com1, %d tries each\n", ptsname(master), kTries);

  std::uint8_t byte = 0;
  Report("1-byte read, no data (aim 110)", Measure([&] { link.SerialRead(port, &byte, 1); }));

  std::atomic<bool> stop{false};
  std::thread peer(AnswerAtOnce, master, std::cref(stop));
  int wrong = 0;
  Report("command byte to 2-byte reply", Measure([&] {
           const std::uint8_t command = 'A';
           std::uint8_t reply[2] = {0, 0};
           link.SerialWrite(port, &command, 1);
           link.SerialRead(port, reply, 2);
           if (reply[0] != 'A' || reply[1] != '!') ++wrong;
         }));
  stop = true;
  peer.join();
  if (wrong != 0) std::printf("  %d replies were wrong or missing\n", wrong);

  trelvin2::SystemClock clock;
  Report("Pause(2) (aim: median < 2.2)", Measure([&] { clock.Pause(2); }));

  link.SerialClose(port);
  close(master);
  std::filesystem::remove_all(devices);
  return 0;
}
