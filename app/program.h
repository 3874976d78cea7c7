// What lives from start-up to the end of the process, and the seams it works through.
// main creates one Program; every operation takes it by reference. No hidden globals.
#pragma once

#include <array>
#include <cstdint>

#include "app/clock.h"
#include "app/device_profiles.h"
#include "app/update_outcome.h"
#include "loader/firmware_image.h"
#include "loader/link_config_record.h"
#include "serial/serial_link.h"
#include "ui/toolkit.h"

namespace trelvin2 {

struct Program {
  Program(Toolkit& toolkit_in, SerialLink& link_in, Clock& clock_in)
      : toolkit(toolkit_in), link(link_in), clock(clock_in) {}

  Toolkit& toolkit;
  SerialLink& link;
  Clock& clock;

  std::array<int, 5> font_handles{};  // fonts 1 to 4 by number; index 0 unused
  int banner_image = 0;
  std::uint32_t status_grey = 0;

  DeviceProfileTable profiles{};
  int active_profile = 0;

  PortHandle working_port = 0;
  ImageCursor image_cursor;
  LinkSettings settings;

  // The main loop's last event. The update sequence stores kCloseRequest here when the program
  // is to end: after a successful update, or when the operator closed a window while it waited.
  int last_event_code = 0;
  int last_event_control = 0;

  // The last update's outcome, for callers that act on it rather than on the status line.
  UpdateRecord last_update;
  // How long the success message stays before the program ends: long enough for the operator
  // to read it in the window. A console prints it as a line that stays, and needs no pause.
  int success_shown_ms = 3000;

  const DeviceProfile& ActiveProfile() const { return profiles[active_profile]; }
};

}  // namespace trelvin2
