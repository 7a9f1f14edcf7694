#include "cli/messages.h"

#include <cerrno>
#include <cstring>

namespace veltrane {

void printError(std::ostream& err, std::string_view text) {
    std::string out;
    std::size_t begin = 0;
    while (begin <= text.size()) {
        std::size_t end = text.find('\n', begin);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        if (end == text.size() && begin == end && begin > 0) {
            break; // a final line ending is no line of its own
        }
        out.append("pravik: ").append(text.substr(begin, end - begin)).push_back('\n');
        begin = end + 1;
    }
    err.write(out.data(), static_cast<std::streamsize>(out.size()));
    err.flush();
}

namespace {

constexpr std::string_view ellipsis = "\u2026";

// A byte that goes on a UTF-8 character rather than starting one.
bool isContinuationByte(char c) {
    return (static_cast<unsigned char>(c) & 0xC0U) == 0x80U;
}

bool startsLikeFormula(std::string_view text) {
    if (text.empty()) {
        return false;
    }
    const char first = text.front();
    return first == '=' || first == '+' || first == '-' || first == '@' || first == '\t';
}

void appendEscaped(std::string& out, char c) {
    switch (c) {
    case '"':
        out.append("\\\"");
        return;
    case '\\':
        out.append("\\\\");
        return;
    case '\n':
        out.append("\\n");
        return;
    case '\r':
        out.append("\\r");
        return;
    case '\t':
        out.append("\\t");
        return;
    default:
        break;
    }
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7f) {
        static constexpr char hex[] = "0123456789abcdef";
        out.append("\\x").push_back(hex[byte >> 4]);
        out.push_back(hex[byte & 0xf]);
        return;
    }
    out.push_back(c);
}

} // namespace

std::string quotedPart(std::string_view text) {
    // A character is at most four bytes, so bytes beyond that many cannot be kept anyway; a
    // longer run of stray continuation bytes is cut at that count too.
    constexpr std::size_t maxBytes = 4 * maxQuotedCharacters;
    std::size_t end = 0;
    std::size_t characters = 0;
    while (end < text.size() && end < maxBytes) {
        if (!isContinuationByte(text[end]) && ++characters > maxQuotedCharacters) {
            break;
        }
        ++end;
    }
    if (end == text.size()) {
        return std::string{text};
    }
    // At the byte limit, back to the start of the character cut through, if it has one.
    std::size_t start = end;
    while (start > 0 && end - start < 4 && isContinuationByte(text[start])) {
        --start;
    }
    if (!isContinuationByte(text[start])) {
        end = start;
    }
    std::string part{text.substr(0, end)};
    part.append(ellipsis);
    return part;
}

namespace {

std::string quoted(std::string_view text, std::string_view part) {
    std::string out = "\"";
    if (startsLikeFormula(text)) {
        out.push_back('\'');
    }
    for (const char c : part) {
        appendEscaped(out, c);
    }
    out.push_back('"');
    return out;
}

} // namespace

std::string quotedText(std::string_view text) {
    return quoted(text, quotedPart(text));
}

std::string quotedPath(std::string_view path) {
    return quoted(path, path);
}

std::string writeFailure(std::string_view where, int error) {
    std::string text = "cannot write the results to ";
    text.append(where).append(": ");
    // A closed stream is kept from being reused (cli/command_line.cpp), so writing to it fails
    // with EBADF, whose own words ("Bad file descriptor") mean nothing to a user.
    text.append(error == EBADF ? "it is closed" : std::strerror(error));
    return text;
}

void NameList::add(std::string_view name) {
    if (count_ < maxListedNames) {
        text_.append(count_ == 0 ? "" : ", ").append(name);
    } else if (count_ == maxListedNames) {
        text_.append(", ").append(ellipsis);
    }
    ++count_;
}

} // namespace veltrane
