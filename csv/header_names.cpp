#include "csv/header_names.h"

namespace veltrane {

namespace {

constexpr std::string_view blanks = " \t";

// `text` without the blanks around it. calc/typed_text.h trims alike for calc's readers; csv/
// may not include calc/.
std::string_view trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

} // namespace

bool isBlankField(std::string_view text) {
    return text.find_first_not_of(blanks) == std::string_view::npos;
}

std::string comparableColumnName(std::string_view name) {
    std::string out{trimmed(name)};
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
