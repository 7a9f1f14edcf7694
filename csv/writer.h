#pragma once

#include <string>
#include <string_view>

namespace veltrane {

// Appends one field as RFC 4180 writes it: in quotes, with quotes doubled, when it holds the
// delimiter, a quote, CR or LF; as it is otherwise.
void appendCsvField(std::string& line, std::string_view field, char delimiter = ',');

} // namespace veltrane
