// trelvin2-sim as a child process, serving its pty as com1 in a folder of its own, so that a
// PosixSerialLink pointed at that folder finds it as the only port. Its output is read line by
// line.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace trelvin2 {

class SimChild {
 public:
  // Starts program with --link <folder>/com1 and args, and waits until the link is there.
  SimChild(const std::string& program, const std::vector<std::string>& args);
  ~SimChild();
  SimChild(const SimChild&) = delete;
  SimChild& operator=(const SimChild&) = delete;

  // true once the pty is served as com1.
  bool Ready() const { return ready_; }
  const std::string& DeviceDir() const { return dir_; }

  // The next output line, without its line end; nullopt at the end of the output or when none
  // came within limit.
  std::optional<std::string> ReadLine(std::chrono::milliseconds limit);
  // Every line until the program closes its output (or limit passes).
  std::vector<std::string> ReadRest(std::chrono::milliseconds limit);
  // The exit status, or -1 when the program did not end within limit.
  int Wait(std::chrono::milliseconds limit);

 private:
  std::string dir_;
  pid_t pid_ = 0;
  int out_ = -1;
  std::string pending_;  // output read but not yet returned as a line
  bool ready_ = false;
};

}  // namespace trelvin2
