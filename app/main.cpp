#include "app/window_start.h"
#include "cli/command_line.h"

int main(int argc, char* argv[]) {
    if (argc > 1) {
        return veltrane::runCommandLine(argc, argv);
    }
    return veltrane::runWindow(argc, argv);
}
