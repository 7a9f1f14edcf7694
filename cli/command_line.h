#pragma once

#include "cli/command.h"

#include <QStringList>

namespace veltrane {

// Runs `pravik` with arguments: needs no display and opens no window. Starts the application
// itself (one that can draw when the command draws) and returns the exit status.
int runCommandLine(int argc, char* argv[]);

// Runs `pravik` on `arguments` (the program first) in this process, once an application
// exists: a registered command, help, or the version.
ExitStatus runPravikCommand(const QStringList& arguments, CommandStreams streams);

} // namespace veltrane
