#pragma once

// What `pravik analyze` needs from the rest of the command line: statuses, messages, quoting,
// whole-or-nothing output files and named locales.

#include "calc/regional_settings.h"

#include <fstream>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

class QString;

namespace veltrane {

// What `pravik` tells the shell. Scripts test these numbers, so they never change meaning.
enum class ExitStatus : int {
    ok = 0,
    // A position was refused: an input that is not what it must be.
    refused = 2,
    // Nothing was refused, but a position lacks a figure (the message says why).
    incomplete = 3,
    // A command line that is not understood, an input that cannot be read or is not CSV.
    usage = 64,
    // The results cannot be written.
    outputFailed = 74,
};

constexpr int toInt(ExitStatus status) {
    return static_cast<int>(status);
}

// Writes `text` to standard error, every line of it beginning with "pravik: ".
void printError(std::string_view text);

// A text the program refuses, as its messages quote it: in double quotes, with quotes,
// backslashes and control characters escaped so the message stays on one line, and an
// apostrophe in front of a text a spreadsheet would take for a formula.
std::string quotedText(std::string_view text);

// `text` as a JSON string, quotes included.
void appendJsonString(std::string& out, std::string_view text);

// The form in which two column names are compared: no blanks around it, ASCII letters in lower
// case, and "-" and " " written as "_".
std::string comparableColumnName(std::string_view name);

// The settings of the locale `name` names ("de_DE.UTF-8", "C"); nothing for an unknown name.
std::optional<RegionalSettings> regionalSettingsNamed(const QString& name);

// A file written whole or not at all: the text goes to a temporary file in the same folder,
// which replaces the file only on commit().
class OutputFile {
public:
    explicit OutputFile(std::string path);
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    bool isOpen() const { return stream_.is_open(); }
    std::ostream& stream() { return stream_; }
    const std::string& path() const { return path_; }
    bool commit();
    void discard();
    const std::string& error() const { return error_; }

private:
    std::string path_;
    std::string temporaryPath_;
    std::ofstream stream_;
    std::string error_;
};

} // namespace veltrane
