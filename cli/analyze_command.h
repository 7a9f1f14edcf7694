#pragma once

#include <string>

namespace veltrane {

// Runs `pravik analyze`, argv[1] being "analyze". Starts the application itself: a core one,
// or with --chart one that draws on the offscreen platform, since a command line never needs a
// display. Returns the exit status.
int runAnalyze(int argc, char* argv[]);

// The help of `pravik analyze`.
std::string analyzeHelpText();

} // namespace veltrane
