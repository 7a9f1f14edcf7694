#include "app/window_start.h"
#include "cli/command_line.h"

int main(int argc, char* argv[]) {
    // The window for no arguments or the toolkit's own; anything else is the command line, which
    // refuses what it does not know before any display is looked for.
    if (veltrane::opensWindow(argc, argv)) {
        return veltrane::runWindow(argc, argv);
    }
    return veltrane::runCommandLine(argc, argv);
}
