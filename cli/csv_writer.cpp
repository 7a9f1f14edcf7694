#include "cli/csv_writer.h"

#include <algorithm>

namespace veltrane {

void appendCsvField(std::string& line, std::string_view field, char delimiter) {
    const char* begin = field.data();
    const char* const end = begin + field.size();
    const auto needsQuotes = [delimiter](char c) {
        return c == delimiter || c == '"' || c == '\r' || c == '\n';
    };
    if (std::none_of(begin, end, needsQuotes)) {
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
