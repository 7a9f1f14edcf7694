#include "csv/header_names.h"

namespace veltrane {

bool isBlankField(std::string_view text) {
    return text.find_first_not_of(" \t") == std::string_view::npos;
}

std::string comparableColumnName(std::string_view name) {
    const std::size_t first = name.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    name = name.substr(first, name.find_last_not_of(" \t") - first + 1);
    std::string out{name};
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        } else if (c == '-' || c == ' ') {
            c = '_';
        }
    }
    return out;
}

} // namespace veltrane
