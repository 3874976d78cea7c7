#include "app/update_sequence.h"

namespace trelvin2 {

void UpdateSequence(Program& program) {
  // The loader steps land with the update sequence; until then the button only disables itself.
  program.toolkit.DisableControl(kStartButtonControl, 1);
}

}  // namespace trelvin2
