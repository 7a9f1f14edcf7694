#pragma once

#include <fstream>
#include <ostream>
#include <string>

namespace veltrane {

// A file written whole or not at all: the text goes to a temporary file in the same folder,
// which replaces the file only on commit(). Until then the file keeps what it held, and a
// temporary file that is not committed is removed, so a run that fails halfway leaves nothing
// that looks complete.
class OutputFile {
public:
    explicit OutputFile(std::string path);
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;
    OutputFile(OutputFile&&) = delete;
    OutputFile& operator=(OutputFile&&) = delete;

    // False when no temporary file could be made; error() says why.
    bool isOpen() const { return stream_.is_open(); }
    std::ostream& stream() { return stream_; }
    const std::string& path() const { return path_; }

    // Closes the temporary file and renames it over the file. False, with error() saying why and
    // the temporary file removed, when that fails.
    bool commit();

    // Removes the temporary file; the file is left as it was.
    void discard();

    const std::string& error() const { return error_; }

private:
    std::string path_;
    std::string temporaryPath_;
    std::ofstream stream_;
    std::string error_;
};

} // namespace veltrane
