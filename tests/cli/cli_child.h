// trelvin2-cli as a child process of a test: its standard output and error gathered apart, a
// signal sent to it as Ctrl-C would, its end awaited with a time limit.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <string>
#include <vector>

namespace trelvin2 {

class CliChild {
 public:
  CliChild(const std::string& program, const std::vector<std::string>& args);
  ~CliChild();
  CliChild(const CliChild&) = delete;
  CliChild& operator=(const CliChild&) = delete;

  // Gathers output until text appears on standard error (or limit passes); true when it did.
  bool WaitForErr(const std::string& text, std::chrono::milliseconds limit);
  void Signal(int number);
  // Stops reading standard output, as a reader that goes away (| head) does.
  void CloseOut();
  // The exit status, 128 + the signal's number for a child ended by one, or -1 when it did not
  // end within limit. Gathers the rest of the output.
  int Wait(std::chrono::milliseconds limit);

  const std::string& Out() const { return out_text_; }
  const std::string& Err() const { return err_text_; }

 private:
  // Reads what is there, waiting at most limit for something to come.
  void Gather(std::chrono::milliseconds limit);

  pid_t pid_ = 0;
  int out_ = -1;
  int err_ = -1;
  std::string out_text_;
  std::string err_text_;
};

}  // namespace trelvin2
