// How the main window's progress bar (0 to 4000) moves through an update.
#pragma once

#include "app/program.h"
#include "ui/windows.h"

namespace trelvin2 {

// The connect phase counts down from full by 200/3 per attempt, as a single-precision value.
inline constexpr float kConnectProgressDecrement = 66.666664f;
// The erase step is a small first slice of the bar.
inline constexpr int kEraseDoneProgress = 34;

inline void ShowProgress(Program& program, int value) {
  program.toolkit.SetControlState(kProgressBar, value);
}

}  // namespace trelvin2
