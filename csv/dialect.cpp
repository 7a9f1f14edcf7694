#include "csv/dialect.h"

#include "csv/reader.h"

#include <array>
#include <sstream>
#include <string>

namespace veltrane {

std::optional<char> delimiterNamed(std::string_view name) {
    if (name == "," || name == ";" || name == "|" || name == "\t") {
        return name.front();
    }
    if (name == "tab") {
        return '\t';
    }
    return std::nullopt;
}

int knownColumnCount(std::string_view line, char delimiter,
                     const std::function<bool(std::string_view)>& isKnown) {
    std::istringstream input{std::string{line}};
    CsvReader reader{input, delimiter};
    CsvRecord record;
    if (!reader.next(record)) {
        return 0;
    }
    int known = 0;
    for (std::size_t i = 0; i < record.size(); ++i) {
        known += isKnown(record.field(i)) ? 1 : 0;
    }
    return known;
}

char detectDelimiter(std::string_view headerLine,
                     const std::function<bool(std::string_view)>& isKnown) {
    // In order of preference: a later one must find more to win.
    constexpr std::array candidates{',', ';', '\t'};
    char best = candidates.front();
    int bestCount = -1;
    for (const char candidate : candidates) {
        const int count = knownColumnCount(headerLine, candidate, isKnown);
        if (count > bestCount) {
            best = candidate;
            bestCount = count;
        }
    }
    return best;
}

} // namespace veltrane
