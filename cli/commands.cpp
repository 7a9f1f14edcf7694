#include "cli/commands.h"

namespace veltrane {

// Each command's file defines its own; this list is where it is registered.
const Command& calcCommand();
const Command& analyzeCommand();
const Command& screenCommand();

const std::vector<const Command*>& registeredCommands() {
    static const std::vector<const Command*> commands{&calcCommand(), &analyzeCommand(),
                                                      &screenCommand()};
    return commands;
}

const Command* commandNamed(std::string_view name) {
    for (const Command* command : registeredCommands()) {
        if (command->name() == name) {
            return command;
        }
    }
    return nullptr;
}

} // namespace veltrane
