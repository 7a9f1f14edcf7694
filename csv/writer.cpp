#include "csv/writer.h"

#include <algorithm>

namespace veltrane {

namespace {

template <char Delimiter>
constexpr bool needsQuotes(char c) {
    return c == Delimiter || c == '"' || c == '\r' || c == '\n';
}

// Whether the field can stand as it is; the usual comma is a constant the compiler can use.
bool standsAsItIs(const char* begin, const char* end, char delimiter) {
    if (delimiter == ',') {
        return std::none_of(begin, end, needsQuotes<','>);
    }
    return std::none_of(begin, end, [delimiter](char c) {
        return c == delimiter || c == '"' || c == '\r' || c == '\n';
    });
}

} // namespace

void appendCsvField(std::string& line, std::string_view field, char delimiter) {
    const char* begin = field.data();
    const char* const end = begin + field.size();
    if (standsAsItIs(begin, end, delimiter)) {
        line.append(field);
        return;
    }
    line.push_back('"');
    for (;;) {
        const char* const quote = std::find(begin, end, '"');
        line.append(begin, quote);
        if (quote == end) {
            break;
        }
        line.append("\"\"");
        begin = quote + 1;
    }
    line.push_back('"');
}

} // namespace veltrane
