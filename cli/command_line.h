#pragma once

namespace veltrane {

// Runs `pravik` with arguments: needs no display and opens no window. Returns the exit status.
int runCommandLine(int argc, char* argv[]);

} // namespace veltrane
