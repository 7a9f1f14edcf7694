#pragma once

#include "csv/record.h"

#include <cstddef>
#include <cstdint>
#include <istream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace veltrane {

// What kind of fault: not CSV, or not UTF-8 text.
enum class CsvErrorKind { syntax, encoding };

// Why an input is not CSV, and on which line (counting from 1) the reader found out.
struct CsvError {
    std::string message;
    std::uint64_t line = 0;
    CsvErrorKind kind = CsvErrorKind::syntax;
};

// Reads RFC 4180 CSV from a stream, one record at a time, in constant memory: fields separated
// by the delimiter (a comma unless told otherwise), records ended by LF or CR LF (the last one may
// have no ending), quoted fields with delimiters, line breaks and doubled quotes inside. Anything
// else is an error with a line number: a quote inside an unquoted field, text after a closing
// quote, a lone CR, a quoted field never closed, a record longer than maxRecordBytes, and bytes
// that are not UTF-8 (an error of kind `encoding`, on the line where they stand, found when the
// reader gets there). A UTF-8 byte order mark at the start is skipped.
class CsvReader {
public:
    // Every byte of a record counts, delimiters and quotes included (its line ending does not):
    // a line of empty fields costs memory for each of them.
    static constexpr std::size_t maxRecordBytes = std::size_t{1} << 20;

    // `firstLine` > 1 reads a part of a larger input cut where a record ends: lines are counted
    // from there, and a byte order mark, which only the start of an input may carry, is data.
    explicit CsvReader(std::istream& input, char delimiter = ',', std::uint64_t firstLine = 1);

    // The text of the next line as it stands, without its line ending and without reading it: what
    // a delimiter is told from before the header is read. At most the reader's buffer.
    std::string_view peekLine();

    // The delimiter for the records read from now on.
    void setDelimiter(char delimiter) { delimiter_ = delimiter; }
    char delimiter() const { return delimiter_; }

    // Reads the next record into `record`. False at the end of the input or when the input is
    // malformed (then error() says why); once false, it stays false.
    bool next(CsvRecord& record);

    const std::optional<CsvError>& error() const { return error_; }

    // Whether the input began with a UTF-8 byte order mark (known once a line was looked at).
    bool hadByteOrderMark() const { return byteOrderMark_; }

private:
    bool fill();
    std::size_t readChecked(char* at, std::size_t room);
    void skipByteOrderMark();
    bool atEnd() { return position_ == end_ && !fill(); }
    bool readQuoted(CsvRecord& record);
    bool readUnquoted(CsvRecord& record);
    bool endField(CsvRecord& record);
    bool fail(std::string message, std::uint64_t line, CsvErrorKind kind = CsvErrorKind::syntax);
    // False, and the reader failed, once the record read so far is longer than a record may be.
    // Checked at every field, so the test is kept here to be inlined, the failure out of line.
    bool checkLength(const CsvRecord& record) {
        return record.bytes() + markupBytes_ <= maxRecordBytes || failTooLong(record);
    }
    bool failTooLong(const CsvRecord& record);

    std::istream& input_;
    char delimiter_;
    std::vector<char> buffer_;
    const char* position_ = nullptr;
    const char* end_ = nullptr;
    std::uint64_t line_ = 1;
    // The bytes of the record being read that are no field text: delimiters and quotes.
    std::size_t markupBytes_ = 0;
    bool started_ = false;
    bool byteOrderMark_ = false;
    bool finished_ = false;
    std::optional<CsvError> error_;
    // Bytes that are not UTF-8 were read: the buffer ends where they start, and reaching its end
    // is this error.
    std::optional<std::string> encodingFault_;
};

} // namespace veltrane
