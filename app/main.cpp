#include "app/window_start.h"
#include "cli/command_line.h"
#include "runtime/qt_messages.h"

int main(int argc, char* argv[]) {
    // Before any Qt object exists: whatever Qt says reaches standard error as "pravik: ...".
    veltrane::installQtMessages();
    // The window for no arguments or the toolkit's own; anything else is the command line, which
    // refuses what it does not know before any display is looked for.
    if (veltrane::opensWindow(argc, argv)) {
        return veltrane::runWindow(argc, argv);
    }
    return veltrane::runCommandLine(argc, argv);
}
