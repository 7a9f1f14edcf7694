#pragma once

#include <string_view>

// What a typed number or date is made of, for calc's readers alike. csv/ trims header names on
// its own: it may not include calc/.
namespace veltrane::typed {

// The blanks a field may have around what is typed: spaces and tabs.
constexpr bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

constexpr bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// `text` without the blanks around it.
constexpr std::string_view trimmed(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && isBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

} // namespace veltrane::typed
