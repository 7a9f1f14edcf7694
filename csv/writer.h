#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace veltrane {

// The most bytes putCsvField writes for a field of `size` bytes: every byte a quote, doubled,
// and the quotes around them.
constexpr std::size_t mostCsvFieldBytes(std::size_t size) {
    return 2 * size + 2;
}

namespace csv_detail {

// The field in quotes, its quotes doubled, written at `at`.
inline char* putQuoted(std::string_view field, char* at) {
    *at++ = '"';
    for (const char c : field) {
        *at++ = c;
        if (c == '"') {
            *at++ = '"';
        }
    }
    *at++ = '"';
    return at;
}

// A byte that puts its field in quotes: the delimiter, a quote, CR or LF. Every such byte is at
// most '"' but the delimiter: one test for the rest.
constexpr bool needsQuotes(char c, char delimiter) {
    return (static_cast<unsigned char>(c) <= '"' || c == delimiter) &&
           (c == delimiter || c == '"' || c == '\r' || c == '\n');
}

} // namespace csv_detail

// Writes one field at `at` as RFC 4180 writes it: in quotes, with quotes doubled, when it holds
// the delimiter, a quote, CR or LF; as it is otherwise. `at` has room for
// mostCsvFieldBytes(field.size()); gives the end of what was written. Inline, and copied with a
// byte loop that also looks for what needs quotes: a batch writes millions of short fields.
inline char* putCsvField(std::string_view field, char delimiter, char* at) {
    char* const begin = at;
    for (const char c : field) {
        if (csv_detail::needsQuotes(c, delimiter)) {
            return csv_detail::putQuoted(field, begin);
        }
        *at++ = c;
    }
    return at;
}

// Appends one field to `line` as putCsvField writes it.
void appendCsvField(std::string& line, std::string_view field, char delimiter = ',');

} // namespace veltrane
