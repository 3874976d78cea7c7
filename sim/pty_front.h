// Serves a DeviceModel on a pseudo-terminal in real time. A pty passes bytes at once whatever
// baud rate the tool set, so the line's timing comes from the model: each byte read from the
// tool is handed over with the moment it was read, and each reply byte is written when its time
// on the model's line has come.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "sim/device_model.h"

namespace trelvin2::sim {

class PtyFront {
 public:
  enum class End { kSignal, kFirmwareStarted, kCut, kError };

  // Prints to out: the firmware line always, every byte when transcript is set.
  PtyFront(std::FILE* out, bool transcript);
  ~PtyFront();
  PtyFront(const PtyFront&) = delete;
  PtyFront& operator=(const PtyFront&) = delete;

  // Creates the pty; its slave is never opened here, since bytes written before the tool's
  // first open are lost and an own descriptor would keep the tool's exclusive open from working.
  bool Open(std::string& error);
  const std::string& SlavePath() const { return slave_path_; }

  // Serves model until a signal arrives at signal_fd (a signalfd), the cable is cut, or, with
  // stop_at_firmware, its firmware has started. The firmware line names the device by number
  // when device is above 0 ("firmware 2: ..."). The pty and its time line stay from one device
  // to the next, as the cable does when the operator plugs in the next unit.
  End Serve(DeviceModel& model, int device, int signal_fd, bool stop_at_firmware);

  // Each line read from key_fd (the terminal's standard input) resets the device then, as the
  // operator's finger on the reset button would.
  void ResetOnKey(int key_fd) { key_fd_ = key_fd; }

 private:
  std::uint64_t NowUs() const;
  void Print(const LineByte& byte);
  void DeliverDueReplies();
  ssize_t ReadFromTool();  // the bytes read, 0 or less when there were none
  bool WaitSignal(int signal_fd, int timeout_us);
  void ReadKeys();

  DeviceModel* model_ = nullptr;  // the device being served
  std::FILE* out_;
  bool transcript_;
  int master_ = -1;
  int key_fd_ = -1;
  std::string slave_path_;
  std::uint64_t start_ns_ = 0;
};

}  // namespace trelvin2::sim
