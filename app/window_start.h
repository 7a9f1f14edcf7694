#pragma once

namespace veltrane {

// True when `pravik` is to open its window: no arguments, or only the toolkit's own options
// ("-platform offscreen", "-style fusion", "-reverse", ...), which QApplication takes itself.
bool opensWindow(int argc, char* argv[]);

// Runs the calculator's main window. Without a display to open it on, says so on one line and
// returns status 1. Returns the exit status.
int runWindow(int argc, char* argv[]);

} // namespace veltrane
