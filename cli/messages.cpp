#include "cli/messages.h"

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

std::string quotedText(std::string_view text) {
    std::string out = "\"";
    if (startsLikeFormula(text)) {
        out.push_back('\'');
    }
    for (const char c : text) {
        appendEscaped(out, c);
    }
    out.push_back('"');
    return out;
}

} // namespace veltrane
