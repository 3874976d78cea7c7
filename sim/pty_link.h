// The --link symlink to the pty slave (/dev/com1, say), made at start and removed at exit.
//
// A path that already exists is replaced only when it is a dangling symlink or one that this
// program made. This program records each link it makes in a small file of its own (the link's
// target and the process that made it) under /tmp/trelvin2-sim-links; a symlink whose record
// names its current target is ours. Anything else (a udev alias /dev/com1 -> ttyUSB0, a link of
// socat's, a file) is left alone. A link whose maker still runs is another simulator's and is
// refused too.
#pragma once

#include <string>

namespace trelvin2::sim {

class PtyLink {
 public:
  PtyLink() = default;
  ~PtyLink() { Remove(); }
  PtyLink(const PtyLink&) = delete;
  PtyLink& operator=(const PtyLink&) = delete;

  // Makes link_path a symlink to target; false, with a one-line reason in error, when link_path
  // exists and may not be replaced or the link cannot be made.
  bool Make(const std::string& link_path, const std::string& target, std::string& error);
  // Removes the link (only while it still points at this run's target) and its record.
  void Remove();

 private:
  std::string link_;
  std::string target_;
  std::string record_;
};

}  // namespace trelvin2::sim
