#include "csv/reader.h"

#include "csv/utf8_check.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace veltrane {

static_assert(CsvReader::maxRecordBytes <= UINT32_MAX, "a record's field ends are kept in 32 bits");

namespace {

constexpr std::size_t bufferBytes = std::size_t{64} * 1024;
// Room after a full buffer for the rest of a character cut by the end of a read.
constexpr std::size_t characterRoom = 3;

} // namespace

CsvReader::CsvReader(std::istream& input, char delimiter, std::uint64_t firstLine)
    : input_{input}
    , delimiter_{delimiter}
    , buffer_(bufferBytes + characterRoom)
    , line_{firstLine}
    , started_{firstLine > 1} {}

// Reads up to `room` bytes at `at`, and a character's last bytes beyond them if the read ends
// inside one. Returns how many may be read as text: up to the first that is not UTF-8, if any.
std::size_t CsvReader::readChecked(char* at, std::size_t room) {
    input_.read(at, static_cast<std::streamsize>(room));
    auto count = static_cast<std::size_t>(input_.gcount());
    Utf8Check check = checkUtf8({at, count});
    for (std::size_t extra = 0; check.cut && extra < characterRoom && input_.good(); ++extra) {
        input_.read(at + count, 1);
        count += static_cast<std::size_t>(input_.gcount());
        const Utf8Check rest = checkUtf8({at + check.valid, count - check.valid});
        check = {check.valid + rest.valid, rest.cut, rest.faultBytes};
    }
    if (check.valid < count) {
        encodingFault_ = check.cut ? std::string{"the input ends inside a UTF-8 character"}
                                   : utf8FaultText(at + check.valid, check.faultBytes);
    }
    return check.valid;
}

bool CsvReader::fill() {
    if (!encodingFault_ && !error_ && input_.good()) {
        const std::size_t count = readChecked(buffer_.data(), bufferBytes);
        position_ = buffer_.data();
        end_ = position_ + count;
        if (count > 0) {
            return true;
        }
    }
    if (encodingFault_) {
        // The reader has come to bytes that are not UTF-8: the line is where they stand.
        std::string message = std::move(*encodingFault_);
        encodingFault_.reset();
        return fail(std::move(message), line_, CsvErrorKind::encoding);
    }
    return false;
}

bool CsvReader::fail(std::string message, std::uint64_t line, CsvErrorKind kind) {
    // The first fault is the one to report: reading on after it only meets its consequences.
    if (!error_) {
        error_ = CsvError{std::move(message), line, kind};
    }
    finished_ = true;
    return false;
}

bool CsvReader::failTooLong(const CsvRecord& record) {
    return fail("a record longer than " + std::to_string(maxRecordBytes) + " bytes", record.line());
}

void CsvReader::skipByteOrderMark() {
    if (started_) {
        return;
    }
    started_ = true;
    // A byte order mark is how some spreadsheets say UTF-8; it is not part of the first name.
    static constexpr char bom[] = "\xEF\xBB\xBF";
    if (!atEnd() && end_ - position_ >= 3 && std::memcmp(position_, bom, 3) == 0) {
        position_ += 3;
        byteOrderMark_ = true;
    }
}

std::string_view CsvReader::peekLine() {
    if (finished_) {
        return {};
    }
    skipByteOrderMark();
    const char* lineEnd = std::find(position_, end_, '\n');
    if (lineEnd == end_ && position_ != buffer_.data() && input_.good() && !encodingFault_) {
        // The line runs past what is read: move it to the front and read on behind it.
        const auto kept = static_cast<std::size_t>(end_ - position_);
        std::memmove(buffer_.data(), position_, kept);
        position_ = buffer_.data();
        end_ = position_ + kept + readChecked(buffer_.data() + kept, bufferBytes - kept);
        lineEnd = std::find(position_, end_, '\n');
    }
    std::string_view line{position_, static_cast<std::size_t>(lineEnd - position_)};
    if (!line.empty() && line.back() == '\r') {
        line.remove_suffix(1);
    }
    return line;
}

bool CsvReader::next(CsvRecord& record) {
    if (finished_) {
        return false;
    }
    skipByteOrderMark();
    if (atEnd()) {
        finished_ = true;
        if (input_.bad()) {
            return fail("the input could not be read", line_);
        }
        return false;
    }
    record.clear(line_);
    markupBytes_ = 0;
    record.blank_ = *position_ == '\n' || *position_ == '\r';
    for (;;) {
        const bool more = !atEnd() && *position_ == '"' ? readQuoted(record) : readUnquoted(record);
        if (error_) {
            return false;
        }
        if (!more) {
            return true;
        }
    }
}

// Ends the current field at a delimiter or a line ending. Returns true when another field follows.
bool CsvReader::endField(CsvRecord& record) {
    if (!checkLength(record)) {
        return false;
    }
    record.ends_.push_back(static_cast<std::uint32_t>(record.text_.size()));
    if (atEnd()) {
        return false;
    }
    const char c = *position_++;
    if (c == delimiter_) {
        ++markupBytes_;
        return true;
    }
    if (c == '\n') {
        ++line_;
        return false;
    }
    // A CR: only as the first half of CR LF.
    if (!atEnd() && *position_ == '\n') {
        ++position_;
        ++line_;
        record.endedWithCrLf_ = true;
        return false;
    }
    fail("a carriage return that is not followed by a line feed", line_);
    return false;
}

bool CsvReader::readUnquoted(CsvRecord& record) {
    while (!atEnd()) {
        const char* run = position_;
        while (run != end_ && *run != delimiter_ && *run != '\n' && *run != '\r' && *run != '"') {
            ++run;
        }
        record.text_.append(position_, run);
        position_ = run;
        if (!checkLength(record)) {
            return false;
        }
        if (run != end_) {
            if (*run == '"') {
                return fail("a quote inside a field that does not start with a quote", line_);
            }
            break;
        }
    }
    return endField(record);
}

bool CsvReader::readQuoted(CsvRecord& record) {
    const std::uint64_t openedOn = line_;
    ++position_;
    ++markupBytes_;
    for (;;) {
        if (atEnd()) {
            return fail("a quoted field that starts on line " + std::to_string(openedOn) +
                            " is never closed",
                        openedOn);
        }
        const char* run = position_;
        while (run != end_ && *run != '"') {
            if (*run == '\n') {
                ++line_;
            }
            ++run;
        }
        record.text_.append(position_, run);
        position_ = run;
        if (!checkLength(record)) {
            return false;
        }
        if (run == end_) {
            continue;
        }
        ++position_;
        ++markupBytes_;
        // A doubled quote is a quote; a single one closes the field.
        if (!atEnd() && *position_ == '"') {
            record.text_.push_back('"');
            ++position_;
            continue;
        }
        break;
    }
    if (!atEnd() && *position_ != delimiter_ && *position_ != '\n' && *position_ != '\r') {
        return fail("text after the closing quote of a field", line_);
    }
    return endField(record);
}

} // namespace veltrane
