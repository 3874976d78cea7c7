// Finding out, before Qt is started, whether the tool can show its windows: Qt itself aborts
// (SIGABRT, with advice to reinstall) when its platform cannot reach a display.
#pragma once

#include <string>

namespace trelvin2 {

// Chooses Qt's platform where the desktop leaves a choice: with DISPLAY set, X11 (xcb), also on
// a Wayland desktop through XWayland, since only there do the windows' positions hold; unless
// the user chose one with QT_QPA_PLATFORM. Then tries to reach that platform's display.
// Returns "" when the windows can be shown, else the one line to print (German, with the words
// "no display"). qt_plugin_dir is Qt's plugin folder, where the platform plugins must be.
std::string PrepareDisplay(const std::string& qt_plugin_dir);

}  // namespace trelvin2
