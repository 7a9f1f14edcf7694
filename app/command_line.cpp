#include "command_line.h"

#include <cstdio>

namespace veltrane {

int runCommandLine(int, char*[]) {
    std::fputs("pravik: the command line is not built yet\n", stderr);
    return 64;
}

} // namespace veltrane
