#pragma once

#include <memory>
#include <ostream>
#include <streambuf>
#include <string>

namespace veltrane {

// A file written whole or not at all: the text goes to an unnamed file in the same folder, which
// takes the file's name only on commit(), synced first. Until then the file keeps what it held,
// and a run that fails or is killed halfway leaves nothing behind. A symbolic link is followed:
// the file it names is replaced, the link kept. A path that is no regular file (a device, a FIFO,
// a socket) is written into directly, as a user who names one means.
class OutputFile {
public:
    explicit OutputFile(std::string path);
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;
    OutputFile(OutputFile&&) = delete;
    OutputFile& operator=(OutputFile&&) = delete;

    // False when no temporary file could be made; error() says why.
    bool isOpen() const { return descriptor_ >= 0; }
    std::ostream& stream() { return stream_; }
    const std::string& path() const { return path_; }
    // Written into directly (a device, a FIFO): nothing to keep or replace.
    bool direct() const { return direct_; }

    // Closes the temporary file and renames it over the file. False, with error() saying why and
    // the temporary file removed, when that fails.
    bool commit();

    // Removes the temporary file; the file is left as it was.
    void discard();

    const std::string& error() const { return error_; }

private:
    bool open(const std::string& folder);
    bool closeWritten();

    std::string path_;
    // The file the text is meant for: the path with its links followed.
    std::string target_;
    // Written into directly: the target exists and is no regular file.
    bool direct_ = false;
    int descriptor_ = -1;
    // The named temporary file, where the folder's file system has no unnamed ones.
    std::string temporaryPath_;
    std::unique_ptr<std::streambuf> buffer_;
    std::ostream stream_{nullptr};
    std::string error_;
};

} // namespace veltrane
