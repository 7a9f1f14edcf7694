#pragma once

#include <optional>
#include <string_view>

namespace veltrane {

// More threads than this only cost memory: no machine the program runs on has as many cores.
inline constexpr unsigned maxJobs = 1024;

// The cores this process may run on (its CPU affinity, which a container or `taskset` narrows),
// at least 1: how many threads a batch uses unless told otherwise.
unsigned availableCores();

// The number of `--jobs N`: a whole number from 1 to maxJobs, written in decimal digits only.
std::optional<unsigned> parseJobCount(std::string_view text);

} // namespace veltrane
