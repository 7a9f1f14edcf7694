#include "command_line.h"
#include "window_start.h"

int main(int argc, char* argv[]) {
    if (argc > 1) {
        return veltrane::runCommandLine(argc, argv);
    }
    return veltrane::runWindow(argc, argv);
}
