#pragma once

#include <cstddef>
#include <ostream>
#include <string>
#include <string_view>

namespace veltrane {

// Writes `text` to `err` (standard error), every line of it beginning with "pravik: ", in one
// write.
void printError(std::ostream& err, std::string_view text);

// How much of an input a message quotes, and how many names it lists: enough to find the text
// or the header, not so much that one line of input floods standard error.
inline constexpr std::size_t maxQuotedCharacters = 200;
inline constexpr std::size_t maxListedNames = 1000;

// The part of `text` a message quotes: all of it, or its first maxQuotedCharacters UTF-8
// characters (never part of one) and "…". A run of bytes that is no UTF-8 is cut all the same.
std::string quotedPart(std::string_view text);

// A text the program refuses, as its messages quote it: its quotedPart in double quotes, with
// quotes, backslashes and control characters escaped so the message stays on one line. A text
// that a spreadsheet would take for a formula ("=", "+", "-", "@" or a tab first) gets an
// apostrophe in front.
std::string quotedText(std::string_view text);

// A file's path quoted as quotedText quotes, but whole: the system bounds its length, and the
// end of it names the file.
std::string quotedPath(std::string_view path);

// Why results could not be written to `where` ("standard output", a quoted path), from the
// errno of the failed write: "cannot write the results to standard output: it is closed".
std::string writeFailure(std::string_view where, int error);

// Names joined by ", " as a message lists them: the first maxListedNames, then "…".
class NameList {
public:
    void add(std::string_view name);
    bool empty() const { return text_.empty(); }
    const std::string& text() const { return text_; }

private:
    std::string text_;
    std::size_t count_ = 0;
};

} // namespace veltrane
