#pragma once

#include <functional>
#include <optional>
#include <string_view>

namespace veltrane {

// The delimiter a `--delimiter` value names: ",", ";", "|", or "tab" (a tab itself too).
// Nothing for any other value.
std::optional<char> delimiterNamed(std::string_view name);

// How many fields of `line`, read as one CSV record with `delimiter`, `isKnown` recognises.
int knownColumnCount(std::string_view line, char delimiter,
                     const std::function<bool(std::string_view)>& isKnown);

// The delimiter of a CSV file told from its header line: of ",", ";" and a tab, the one that
// splits the line into the most columns `isKnown` recognises; "," when they tie.
char detectDelimiter(std::string_view headerLine,
                     const std::function<bool(std::string_view)>& isKnown);

} // namespace veltrane
