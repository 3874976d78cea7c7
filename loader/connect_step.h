// Catching the boot loader after the operator's reset, and unlocking it with the security code.
#pragma once

#include "app/program.h"

namespace trelvin2 {

enum class ConnectOutcome {
  kConnected,       // the loader answered and accepted the security code
  kFailed,          // the step has shown why; nothing more is to be sent
  kCloseRequested,  // the operator closed the window while the step waited: end the program
};

// Sends the active profile's connect command about once a second for up to 30 seconds until
// the loader answers with the profile's connect reply, then the three security-code bytes.
ConnectOutcome ConnectStep(Program& program);

}  // namespace trelvin2
