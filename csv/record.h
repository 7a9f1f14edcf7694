#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace veltrane {

// One record of a CSV input: its fields with quotes undone, and where it stood. The storage is
// kept between records, so reading a long file does not allocate for every line.
class CsvRecord {
public:
    std::size_t size() const { return ends_.size(); }
    std::string_view field(std::size_t index) const {
        const std::size_t begin = index == 0 ? 0 : std::size_t{ends_[index - 1]};
        return std::string_view{text_}.substr(begin, ends_[index] - begin);
    }
    // The bytes of all its fields together, quotes undone.
    std::size_t bytes() const { return text_.size(); }
    // The line on which the record starts, counting from 1.
    std::uint64_t line() const { return line_; }
    // A line with nothing on it at all (not even "").
    bool blank() const { return blank_; }
    // Whether the record ended with CR LF rather than LF or the end of the input.
    bool endedWithCrLf() const { return endedWithCrLf_; }

    // Keeps the first `fields` fields, with empty ones after them up to that number.
    void resize(std::size_t fields) {
        if (fields < ends_.size()) {
            text_.resize(fields == 0 ? 0 : ends_[fields - 1]);
        }
        // A record is at most the reader's limit, far below 4 GiB: its ends fit 32 bits.
        ends_.resize(fields, static_cast<std::uint32_t>(text_.size()));
    }

private:
    friend class CsvReader;

    void clear(std::uint64_t line) {
        text_.clear();
        ends_.clear();
        line_ = line;
        blank_ = false;
        endedWithCrLf_ = false;
    }

    std::string text_;
    // Where each field's text ends. A record holds at most CsvReader::maxRecordBytes bytes, so
    // four bytes do for each, and a line of a million empty fields takes 4 MiB, not 8.
    std::vector<std::uint32_t> ends_;
    std::uint64_t line_ = 0;
    bool blank_ = false;
    bool endedWithCrLf_ = false;
};

} // namespace veltrane
