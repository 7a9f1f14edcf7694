#pragma once

#include "csv/writer.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace veltrane {

// Writes one CSV line of many fields into a string at once, each field by putCsvField: room for
// the longest the line could be is taken first, the fields are written in, and the string is
// cut to what was written. Spares growing the string for every field of a long batch.
class CsvLineWriter {
public:
    // `mostFieldBytes`: at least the sum of the sizes of the fields to come.
    CsvLineWriter(std::string& line, std::size_t fields, std::size_t mostFieldBytes, char delimiter)
        : line_{line}
        , delimiter_{delimiter} // A field needs at most twice its bytes and two quotes, and a
                                // delimiter or an ending of two bytes after it.
        , at_{grow(line, 2 * mostFieldBytes + 4 * fields + 2)} {}

    CsvLineWriter(const CsvLineWriter&) = delete;
    CsvLineWriter& operator=(const CsvLineWriter&) = delete;
    CsvLineWriter(CsvLineWriter&&) = delete;
    CsvLineWriter& operator=(CsvLineWriter&&) = delete;
    ~CsvLineWriter() = default;

    // The next field, a delimiter before it unless it is the first.
    void field(std::string_view text) {
        if (!first_) {
            *at_++ = delimiter_;
        }
        first_ = false;
        at_ = putCsvField(text, delimiter_, at_);
    }

    // Ends the line (with LF or CR LF, as `ending` says) and cuts the string to it.
    void end(std::string_view ending) {
        for (const char c : ending) {
            *at_++ = c;
        }
        line_.resize(static_cast<std::size_t>(at_ - line_.data()));
    }

private:
    // Room for `bytes` more at the end of `line`; where it starts.
    static char* grow(std::string& line, std::size_t bytes) {
        const std::size_t start = line.size();
        line.resize(start + bytes);
        return line.data() + start;
    }

    std::string& line_;
    char delimiter_;
    char* at_ = nullptr;
    bool first_ = true;
};

} // namespace veltrane
