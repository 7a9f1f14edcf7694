#include "window_start.h"

#include <cstdio>

namespace veltrane {

int runWindow(int, char*[]) {
    std::fputs("pravik: the window is not built yet\n", stderr);
    return 1;
}

} // namespace veltrane
