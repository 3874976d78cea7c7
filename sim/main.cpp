// trelvin2-sim: a Trelvin 2 in software on a pseudo-terminal. See --help and sim/README.md.
#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "data/embedded_data.h"
#include "sim/device_model.h"
#include "sim/flash_file.h"
#include "sim/pty_front.h"
#include "sim/pty_link.h"
#include "sim/sim_options.h"

namespace {

using namespace trelvin2::sim;

constexpr int kExitUsage = 2;

// Says why the program cannot go on, in one line.
int Refuse(const std::string& error, int status) {
  std::fprintf(stderr, "trelvin2-sim: %s\n", error.c_str());
  return status;
}

int Run(const SimOptions& options) {
  FlashMemory flash;
  if (!options.erased) flash.LoadApplication(trelvin2::FirmwareBin());
  std::string error;
  if (!options.flash_path.empty()) {
    bool exists = false;
    if (!LoadFlashFile(options.flash_path, flash, exists, error) && exists)
      return Refuse(error, kExitUsage);
    if (!CanSaveFlashFile(options.flash_path, error)) return Refuse(error, kExitUsage);
  }

  // The signals that end a run arrive as readable data, so the serving loop ends and cleans up:
  // SIGINT and SIGTERM, SIGHUP when its terminal closes, SIGPIPE when its output is a pipe
  // nobody reads any more (--transcript | head). Blocked, SIGPIPE leaves a failed write only.
  sigset_t signals;
  sigemptyset(&signals);
  for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGPIPE}) sigaddset(&signals, signal);
  sigprocmask(SIG_BLOCK, &signals, nullptr);
  const int signal_fd = signalfd(-1, &signals, SFD_CLOEXEC);
  if (signal_fd < 0) return Refuse(std::string("signalfd: ") + std::strerror(errno), kExitUsage);

  PtyFront front(stdout, options.transcript);
  if (!front.Open(error)) return Refuse(error, kExitUsage);
  PtyLink link;
  if (!options.link_path.empty() && !link.Make(options.link_path, front.SlavePath(), error))
    return Refuse(error, kExitUsage);
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
  bool flash_kept = true;
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
      flash_kept = false;
    }
    if (end != PtyFront::End::kFirmwareStarted) break;
  }

  link.Remove();
  close(signal_fd);
  // A session whose memory could not be kept has lost its work: not a success.
  if (!flash_kept) return 1;
  if (!end_after_last) return end == PtyFront::End::kError ? 1 : 0;
  return end == PtyFront::End::kFirmwareStarted && every_record_usable ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  SimOptions options;
  std::string error;
  if (!ParseSimOptions(argc, argv, options, error)) {
    return Refuse(error + " (see --help)", kExitUsage);
  }
  if (options.help) {
    std::printf("%s", SimHelp().c_str());
    return 0;
  }
  return Run(options);
}
