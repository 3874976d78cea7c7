// Start-up, the main loop and the one Shutdown.
#pragma once

#include "app/program.h"

namespace trelvin2 {

// Loads fonts and the banner, builds the profile table, opens the main window, runs the port
// choice and the settings choice, then the main loop; every way out ends in Shutdown. Returns
// the process's exit status, which is always 0.
int RunProgram(Program& program);

// The start-up steps before the port choice (fonts, banner, colours, profiles, main window).
void StartUp(Program& program);

// Waits for events 100 ms at a time and runs the update on a press of the start button, until
// a close request (or the update) stores kCloseRequest as the last event.
void MainLoop(Program& program);

// Releases the toolkit's objects. Nothing is sent to the device.
void Shutdown(Program& program);

}  // namespace trelvin2
