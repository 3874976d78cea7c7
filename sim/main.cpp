// trelvin2-sim: a Trelvin 2 in software on a pseudo-terminal. See --help and sim/README.md.
#include <signal.h>
#include <sys/signalfd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "data/embedded_data.h"
#include "sim/device_model.h"
#include "sim/flash_file.h"
#include "sim/pty_front.h"
#include "sim/sim_options.h"

namespace {

using namespace trelvin2::sim;

constexpr int kExitUsage = 2;

// Makes link_path a symlink to target. An old symlink there (left by a killed run) is replaced;
// anything else is not touched.
bool MakeLink(const std::string& link_path, const std::string& target, std::string& error) {
  struct stat info {};
  if (lstat(link_path.c_str(), &info) == 0) {
    if (!S_ISLNK(info.st_mode)) {
      error = link_path + " exists and is not a symlink";
      return false;
    }
    unlink(link_path.c_str());
  }
  if (symlink(target.c_str(), link_path.c_str()) != 0) {
    error = link_path + ": " + std::strerror(errno);
    return false;
  }
  return true;
}

// Removes the link only while it still points at this run's pty.
void RemoveLink(const std::string& link_path, const std::string& target) {
  char points_to[256] = {};
  const ssize_t length = readlink(link_path.c_str(), points_to, sizeof points_to - 1);
  if (length > 0 && target == std::string(points_to, static_cast<std::size_t>(length))) {
    unlink(link_path.c_str());
  }
}

int Run(const SimOptions& options) {
  FlashMemory flash;
  if (!options.erased) flash.LoadApplication(trelvin2::FirmwareBin());
  std::string error;
  if (!options.flash_path.empty()) {
    bool exists = false;
    if (!LoadFlashFile(options.flash_path, flash, exists, error) && exists) {
      std::fprintf(stderr, "trelvin2-sim: %s\n", error.c_str());
      return kExitUsage;
    }
  }

  // SIGINT and SIGTERM arrive as readable data, so the serving loop ends and cleans up.
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  sigprocmask(SIG_BLOCK, &signals, nullptr);
  const int signal_fd = signalfd(-1, &signals, SFD_CLOEXEC);

  PtyFront front(stdout, options.transcript);
  if (signal_fd < 0 || !front.Open(error)) {
    std::fprintf(stderr, "trelvin2-sim: %s\n", error.c_str());
    return kExitUsage;
  }
  if (!options.link_path.empty() && !MakeLink(options.link_path, front.SlavePath(), error)) {
    std::fprintf(stderr, "trelvin2-sim: %s\n", error.c_str());
    return kExitUsage;
  }
  // The path comes only once the pty is served (and linked): a script that reads it may go on.
  std::printf("%s\n", front.SlavePath().c_str());
  std::fflush(stdout);

  if (options.reset_on_key) {
    front.ResetOnKey(STDIN_FILENO);
    std::printf("press Enter to reset the device\n");
    std::fflush(stdout);
  }
  // Without --devices one device is served, unnumbered, until a signal (or --once's start).
  const bool numbered = options.devices > 0;
  const int last_device = numbered ? options.devices : 1;
  const bool end_after_last = numbered || options.once;
  bool every_record_usable = true;
  PtyFront::End end = PtyFront::End::kSignal;
  for (int device = 1; device <= last_device; ++device) {
    // Each unit on the line comes with the same memory: the firmware image, or erased.
    DeviceModel model(options.scenario, flash);
    const int number = numbered ? device : 0;
    end = front.Serve(model, number, signal_fd, device < last_device || end_after_last);
    if (end == PtyFront::End::kCut)
      std::printf("link cut after byte %d from the tool\n", options.scenario.cut_after_bytes);
    const std::string label = numbered ? " " + std::to_string(device) : "";
    if (!model.Firmware()) std::printf("firmware%s: not started\n", label.c_str());
    every_record_usable = every_record_usable && model.Firmware() && model.Firmware()->usable;
    for (const Violation& violation : model.Violations()) {
      std::printf("violation%s: %llu us  %s\n", label.c_str(),
                  static_cast<unsigned long long>(violation.time_us), violation.text.c_str());
    }
    std::fflush(stdout);
    if (!options.flash_path.empty() && !SaveFlashFile(options.flash_path, model.Flash(), error)) {
      std::fprintf(stderr, "trelvin2-sim: %s\n", error.c_str());
    }
    if (end != PtyFront::End::kFirmwareStarted) break;
  }

  if (!options.link_path.empty()) RemoveLink(options.link_path, front.SlavePath());
  close(signal_fd);
  if (!end_after_last) return end == PtyFront::End::kError ? 1 : 0;
  return end == PtyFront::End::kFirmwareStarted && every_record_usable ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  SimOptions options;
  std::string error;
  if (!ParseSimOptions(argc, argv, options, error)) {
    std::fprintf(stderr, "trelvin2-sim: %s (see --help)\n", error.c_str());
    return kExitUsage;
  }
  if (options.help) {
    std::printf("%s", SimHelp().c_str());
    return 0;
  }
  return Run(options);
}
