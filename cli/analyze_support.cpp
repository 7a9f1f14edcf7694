#include "cli/analyze_support.h"

#include "locale/locale_settings.h"

#include <QLocale>
#include <QString>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace veltrane {

void printError(std::string_view text) {
    std::string out;
    std::size_t begin = 0;
    while (begin < text.size() || begin == 0) {
        std::size_t end = text.find('\n', begin);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        out.append("pravik: ").append(text.substr(begin, end - begin)).push_back('\n');
        begin = end + 1;
    }
    std::fputs(out.c_str(), stderr);
}

std::string quotedText(std::string_view text) {
    std::string out = "\"";
    if (!text.empty() && std::string_view{"=+-@\t"}.find(text.front()) != std::string_view::npos) {
        out.push_back('\'');
    }
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out.push_back('\\');
            out.push_back(c);
        } else if (c == '\n') {
            out.append("\\n");
        } else if (c == '\r') {
            out.append("\\r");
        } else if (c == '\t') {
            out.append("\\t");
        } else if (byte < 0x20 || byte == 0x7f) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02x", static_cast<unsigned>(byte));
            out.append(escaped);
        } else {
            out.push_back(c);
        }
    }
    out.push_back('"');
    return out;
}

void appendJsonString(std::string& out, std::string_view text) {
    out.push_back('"');
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out.push_back('\\');
            out.push_back(c);
        } else if (byte < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(byte));
            out.append(escaped);
        } else {
            out.push_back(c);
        }
    }
    out.push_back('"');
}

std::string comparableColumnName(std::string_view name) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!name.empty() && blank(name.front())) {
        name.remove_prefix(1);
    }
    while (!name.empty() && blank(name.back())) {
        name.remove_suffix(1);
    }
    std::string out{name};
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        } else if (c == '-' || c == ' ') {
            c = '_';
        }
    }
    return out;
}

std::optional<RegionalSettings> regionalSettingsNamed(const QString& name) {
    const QString base = name.section(u'.', 0, 0).section(u'@', 0, 0);
    if (base == QStringLiteral("C") || base == QStringLiteral("POSIX")) {
        return RegionalSettings{};
    }
    const QLocale locale(name);
    // Qt falls back to C for a name it does not know.
    if (name.isEmpty() || locale.language() == QLocale::C) {
        return std::nullopt;
    }
    return regionalSettingsFor(locale);
}

OutputFile::OutputFile(std::string path)
    : path_{std::move(path)} {
    std::string pattern = path_ + ".XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int descriptor = mkstemp(name.data());
    if (descriptor < 0) {
        error_ = "cannot write '" + path_ + "': " + std::strerror(errno);
        return;
    }
    // The file keeps its mode when replaced; a new one gets what the umask leaves.
    struct stat existing {};
    mode_t mode = 0;
    if (stat(path_.c_str(), &existing) == 0) {
        mode = existing.st_mode & 07777;
    } else {
        const mode_t mask = umask(0);
        umask(mask);
        mode = static_cast<mode_t>(0666U & ~static_cast<unsigned>(mask));
    }
    fchmod(descriptor, mode);
    close(descriptor);
    temporaryPath_ = name.data();
    stream_.open(temporaryPath_, std::ios::binary | std::ios::trunc);
    if (!stream_.is_open()) {
        error_ = "cannot write '" + path_ + "': " + std::strerror(errno);
        std::remove(temporaryPath_.c_str());
        temporaryPath_.clear();
    }
}

OutputFile::~OutputFile() {
    discard();
}

bool OutputFile::commit() {
    if (temporaryPath_.empty()) {
        return false;
    }
    stream_.flush();
    const bool written = static_cast<bool>(stream_);
    stream_.close();
    if (!written || stream_.fail()) {
        error_ = "cannot write the results to '" + path_ + "': " + std::strerror(errno);
        discard();
        return false;
    }
    if (std::rename(temporaryPath_.c_str(), path_.c_str()) != 0) {
        error_ = "cannot replace '" + path_ + "': " + std::strerror(errno);
        discard();
        return false;
    }
    temporaryPath_.clear();
    return true;
}

void OutputFile::discard() {
    if (stream_.is_open()) {
        stream_.close();
    }
    if (!temporaryPath_.empty()) {
        std::remove(temporaryPath_.c_str());
        temporaryPath_.clear();
    }
}

} // namespace veltrane
