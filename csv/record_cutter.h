#pragma once

#include <cstddef>
#include <cstdint>
#include <istream>
#include <string>
#include <string_view>

namespace veltrane {

// A run of whole CSV records cut from an input, and the line it starts on (counting from 1).
struct RecordBlock {
    std::string bytes;
    std::uint64_t firstLine = 1;
    // No record ended within the cutter's limit: `bytes` is the start of the rest of the input,
    // which goes on in the stream, and can only be read from here to the end in one piece.
    bool open = false;
};

// Cuts a CSV input into blocks of whole records, so that readers working on different blocks
// read exactly the records one reader would read from the whole input, on the same lines.
//
// Where a record ends depends only on quotes and line feeds, never on the field delimiter: a
// line feed ends a record unless an odd number of quotes stand between the record's start and
// it (a quoted field may hold line breaks; a doubled quote inside one counts twice). A CR LF
// ends with its line feed. A block that is not valid CSV may be cut elsewhere than a reader
// would end its records, but only after the first fault, which the reader of that block finds
// first; so an input is cut at its true record ends up to its first fault.
class RecordCutter {
public:
    // The input is read `blockBytes` at a time, and a block is the whole records read so far;
    // to reach the end of a long record a block grows, up to `openLimit` bytes, and is handed
    // out open beyond that.
    RecordCutter(std::istream& input, std::size_t blockBytes, std::size_t openLimit);

    // Fills `block` with the next run of whole records (reusing its storage). False once the
    // input is used up, or after an open block.
    bool next(RecordBlock& block);

    // The length of the longest start of `bytes` that is whole records ending in a line feed,
    // given that `bytes` starts where a record starts.
    static std::size_t wholeRecordsLength(std::string_view bytes);

    // The line after the last block handed out (an open block's bytes only).
    std::uint64_t line() const { return line_; }
    // Whether the input ended because it could not be read.
    bool readFailed() const { return input_.bad(); }

private:
    bool readMore();

    std::istream& input_;
    const std::size_t blockBytes_;
    const std::size_t openLimit_;
    // Bytes read and not yet handed out; they start where a record starts.
    std::string pending_;
    // How much of pending_ has been scanned, whether that leaves us inside quotes, and where
    // the last record seen so far ends (0: none).
    std::size_t scanned_ = 0;
    bool inQuotes_ = false;
    std::size_t lastRecordEnd_ = 0;
    std::uint64_t line_ = 1;
    bool inputEnded_ = false;
    bool finished_ = false;
};

} // namespace veltrane
