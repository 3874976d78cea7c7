// trelvin2-sim as a child process of a test or bench: started with its arguments, its pty
// optionally served as com1 in a folder of its own (so that a PosixSerialLink pointed at that
// folder finds it as the only port), its output gathered, its end awaited with a time limit,
// and stopped at the end if it is still running.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace trelvin2 {

// Whether the sim links its pty into a device folder of the child's own.
enum class PtyLink { kNone, kAsCom1 };

class SimChild {
 public:
  // Starts program with args (after --link <folder>/com1 for PtyLink::kAsCom1) and waits until
  // it has printed its pty's path and, when linked, made the link.
  SimChild(const std::string& program, const std::vector<std::string>& args, PtyLink link);
  ~SimChild();
  SimChild(const SimChild&) = delete;
  SimChild& operator=(const SimChild&) = delete;

  // true once the pty is served (and linked as com1 when asked for).
  bool Ready() const { return ready_; }
  // The first line the sim printed: its pty's path; "" when it printed none.
  const std::string& PtyPath() const { return pty_; }
  // The folder holding com1 and the link itself; "" for PtyLink::kNone.
  const std::string& DeviceDir() const { return dir_; }
  const std::string& LinkPath() const { return link_; }

  // The next output line, without its line end; nullopt at the end of the output or when none
  // came within limit. An unfinished last line is returned once the output ends.
  std::optional<std::string> ReadLine(std::chrono::milliseconds limit);
  // Every line until the program closes its output (or limit passes).
  std::vector<std::string> ReadRest(std::chrono::milliseconds limit);
  // Everything the program printed so far, lines already returned included.
  const std::string& Printed() const { return printed_; }

  // The exit status, or -1 when the program did not end within limit or ended by a signal.
  int Wait(std::chrono::milliseconds limit);
  // Ends the program with SIGTERM if it still runs, and reaps it.
  void Stop();
  // Sends signal to the program if it still runs; Wait reaps it.
  void Signal(int signal);
  // Stops reading the program's output, as "| head -1" does once it has its line.
  void CloseOutput();

 private:
  bool ServedWithin(std::chrono::milliseconds limit);

  std::string dir_;
  std::string link_;
  std::string pty_;
  pid_t pid_ = 0;
  int out_ = -1;
  std::string printed_;
  std::size_t line_start_ = 0;  // where in printed_ the next unreturned line begins
  bool ready_ = false;
};

}  // namespace trelvin2
