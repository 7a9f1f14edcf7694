#include "csv/writer.h"

#include <algorithm>

namespace veltrane {

void appendCsvField(std::string& line, std::string_view field, char delimiter) {
    // Most fields need no quotes: appended whole, as putCsvField would write them.
    if (std::none_of(field.begin(), field.end(),
                     [delimiter](char c) { return csv_detail::needsQuotes(c, delimiter); })) {
        line.append(field);
        return;
    }
    const std::size_t start = line.size();
    line.resize(start + mostCsvFieldBytes(field.size()));
    const char* const end = csv_detail::putQuoted(field, line.data() + start);
    line.resize(static_cast<std::size_t>(end - line.data()));
}

} // namespace veltrane
