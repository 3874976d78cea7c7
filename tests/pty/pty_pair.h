// A pseudo-terminal standing in for a serial port: the test holds the master as the device's end,
// and a temporary device folder names the slave com1, as a udev alias would name an adapter.
#pragma once

#include <string>

#include "tests/pty/temp_dir.h"

namespace trelvin2 {

class PtyPair {
 public:
  // Links the slave as <devices>/<com_name>.
  explicit PtyPair(const std::string& com_name = "com1");
  ~PtyPair();
  PtyPair(const PtyPair&) = delete;
  PtyPair& operator=(const PtyPair&) = delete;

  bool ok() const { return master_ >= 0 && !slave_path_.empty(); }
  int master() const { return master_; }
  const std::string& slave_path() const { return slave_path_; }
  // The folder to hand to PosixSerialLink, and one for lock files.
  const std::string& device_dir() const { return devices_.path(); }
  const std::string& lock_dir() const { return locks_.path(); }
  // Links the slave under one more name, e.g. when two ptys share one device folder.
  bool LinkAs(const std::string& dir, const std::string& name) const;

  // The device's end vanishes: the slave sees a hang-up.
  void CloseMaster();
  // Bytes the master can read within limit_ms; stops early once want bytes are there.
  std::string ReadMaster(std::size_t want, int limit_ms);

 private:
  int master_ = -1;
  std::string slave_path_;
  TempDir devices_;
  TempDir locks_;
};

}  // namespace trelvin2
