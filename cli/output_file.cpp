#include "cli/output_file.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace veltrane {

namespace {

std::string systemError() {
    return std::strerror(errno);
}

// The mode a new file gets: what the user's umask leaves of read and write for everyone.
mode_t newFileMode() {
    const mode_t mask = umask(0);
    umask(mask);
    return static_cast<mode_t>(0666U & ~static_cast<unsigned>(mask));
}

} // namespace

OutputFile::OutputFile(std::string path)
    : path_{std::move(path)} {
    std::string pattern = path_ + ".XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int descriptor = mkstemp(name.data());
    if (descriptor < 0) {
        error_ = "cannot write '" + path_ + "': " + systemError();
        return;
    }
    // The file keeps its mode when replaced; a new one gets the usual mode.
    struct stat existing {};
    const mode_t mode =
        stat(path_.c_str(), &existing) == 0 ? (existing.st_mode & 07777) : newFileMode();
    fchmod(descriptor, mode);
    close(descriptor);
    temporaryPath_ = name.data();
    stream_.open(temporaryPath_, std::ios::binary | std::ios::trunc);
    if (!stream_.is_open()) {
        error_ = "cannot write '" + path_ + "': " + systemError();
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
        error_ = "cannot write the results to '" + path_ + "': " + systemError();
        discard();
        return false;
    }
    if (std::rename(temporaryPath_.c_str(), path_.c_str()) != 0) {
        error_ = "cannot replace '" + path_ + "': " + systemError();
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
