// The one run of the loader steps behind the start button.
#pragma once

#include "app/program.h"

namespace trelvin2 {

// Runs the whole update inside the handling of one start-button press. Stores kCloseRequest as
// the main loop's last event when the program is to end: after a successful update (3 s after
// the success message) or when the operator closed a window during the connect wait.
void UpdateSequence(Program& program);

}  // namespace trelvin2
