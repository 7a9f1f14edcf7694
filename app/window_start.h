#pragma once

namespace veltrane {

// Runs `pravik` without arguments: the calculator's main window. Returns the exit status.
int runWindow(int argc, char* argv[]);

} // namespace veltrane
