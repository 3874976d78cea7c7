// The program as the steps behind the start button find it: on the virtual clock, the port open
// on a scripted link, the status line's grey set, the Trelvin 2's profile active and the main
// window open with all its controls. The unit fixtures of the loader steps, the update sequence
// and the status line build on it.
#pragma once

#include <cstdint>
#include <vector>

#include "app/device_profiles.h"
#include "app/program.h"
#include "app/status_line.h"
#include "tests/support/memory_toolkit.h"
#include "tests/support/scripted_link.h"
#include "ui/windows.h"

namespace trelvin2 {

struct MainWindowBench {
  explicit MainWindowBench(std::uint32_t tick_at_start = 0) : clock(tick_at_start) {
    program.working_port = 1;
    program.status_grey = kStatusGrey;
    program.profiles = BuildDeviceProfileTable();
    program.active_profile = kTrelvin2ProfileIndex;
    OpenMainWindow(program);
  }

  // Every value the progress bar was given, in order.
  const std::vector<int>& Progress() const {
    return toolkit.FindControl(kProgressBar)->state_history;
  }

  VirtualClock clock;
  MemoryToolkit toolkit{clock};
  ScriptedLink link{clock};
  Program program{toolkit, link, clock};
};

}  // namespace trelvin2
