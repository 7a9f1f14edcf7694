#pragma once

#include "cli/command.h"

#include <string_view>
#include <vector>

namespace veltrane {

// Every command of `pravik`, in the order its help lists them.
const std::vector<const Command*>& registeredCommands();

// The command of that name; nothing for another word.
const Command* commandNamed(std::string_view name);

} // namespace veltrane
