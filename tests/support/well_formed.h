#pragma once

#include <regex>
#include <string>

// What a result field may hold under US-English settings: nothing, or a complete text of its
// kind. Shared by the fuzz targets and the window's monkey test.
namespace veltrane::well_formed {

inline bool currency(const std::string& text) {
    static const std::regex pattern{
        R"(\$(0|[1-9]\d{0,2}(,\d{3})*)\.\d{2}|\(\$(0|[1-9]\d{0,2}(,\d{3})*)\.\d{2}\))"};
    return std::regex_match(text, pattern) && text != "($0.00)";
}

inline bool number(const std::string& text) {
    static const std::regex plain{R"(-?(0|[1-9]\d{0,14})(\.\d*[1-9])?)"};
    static const std::regex exponent{R"(-?[1-9](\.\d*[1-9])?E[+-]\d{2,3})"};
    return text != "-0" && (std::regex_match(text, plain) || std::regex_match(text, exponent));
}

inline bool percent(const std::string& text) {
    static const std::regex pattern{R"(-?(0|[1-9]\d{0,2}(,\d{3})*)\.\d{2}%)"};
    return std::regex_match(text, pattern) && text != "-0.00%";
}

} // namespace veltrane::well_formed
