// The one run of the loader steps behind the start button.
#pragma once

#include "app/program.h"

namespace trelvin2 {

// Runs the whole update inside the handling of one start-button press. Stores kCloseRequest as
// the main loop's last event when the program is to end: after a successful update (3 s after
// the success message, or at once on a close request in those 3 s) or when the operator closed
// a window (or a signal came) during the connect wait. The erase and programming wait for no
// event, so a signal during them is seen only once the sequence is over: the device is never
// left half-written.
void UpdateSequence(Program& program);

}  // namespace trelvin2
