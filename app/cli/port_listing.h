// What --list-ports tells about com1 to com9 on this machine.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace trelvin2 {

struct PortListing {
  enum class State {
    kMissing,       // the name stands for no device here
    kFree,          // it opens
    kHeld,          // another program holds it
    kNotPermitted,  // the system refuses this user
  };
  std::string name;    // "com1"
  std::string device;  // what it stands for ("/dev/ttyUSB0"), "" when nothing
  State state = State::kMissing;
  std::string holder;  // how and by whom it is held, where that can be known
};

// One line per port: name, device, state.
void PrintPortListing(const std::vector<PortListing>& ports, std::ostream& out);

}  // namespace trelvin2
