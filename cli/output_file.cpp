#include "cli/output_file.h"

#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <ext/stdio_filebuf.h>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

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

// `path` with its symbolic links followed to the file they name, whether it exists or not; the
// path itself when it is no link (or the links go round in a circle).
std::string followedLinks(const std::string& path) {
    namespace fs = std::filesystem;
    fs::path target{path};
    std::error_code error;
    for (int hop = 0; hop < 40 && fs::is_symlink(fs::symlink_status(target, error)); ++hop) {
        const fs::path next = fs::read_symlink(target, error);
        if (error) {
            break;
        }
        target = next.is_absolute() ? next : target.parent_path() / next;
    }
    return target.string();
}

std::string folderOf(const std::string& path) {
    const std::filesystem::path folder = std::filesystem::path{path}.parent_path();
    return folder.empty() ? std::string{"."} : folder.string();
}

// A named temporary file is removed if a signal ends the run before it is renamed: the only
// file a run can leave behind where the folder has no unnamed files.
std::array<char, 4096> pendingTemporary{};
std::atomic<bool> temporaryPending{false};

extern "C" void removePendingTemporary(int signal) {
    if (temporaryPending.load()) {
        unlink(pendingTemporary.data());
    }
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

void watchTemporary(const std::string& path) {
    if (path.size() >= pendingTemporary.size()) {
        return;
    }
    std::memcpy(pendingTemporary.data(), path.c_str(), path.size() + 1);
    temporaryPending.store(true);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGPIPE}) {
        std::signal(signal, removePendingTemporary);
    }
}

void forgetTemporary() {
    temporaryPending.store(false);
}

} // namespace

OutputFile::OutputFile(std::string path)
    : path_{std::move(path)} {
    // The system follows the links to what the path names: /dev/stdout to a pipe, for one.
    struct stat existing {};
    const bool exists = stat(path_.c_str(), &existing) == 0;
    direct_ = exists && !S_ISREG(existing.st_mode);
    if (direct_) {
        target_ = path_;
        descriptor_ = ::open(path_.c_str(), O_WRONLY | O_CLOEXEC);
    } else {
        target_ = followedLinks(path_);
        // The file keeps its mode when replaced; a new one gets the usual mode.
        const mode_t mode = exists ? (existing.st_mode & 07777) : newFileMode();
        const std::string folder = folderOf(target_);
        // An unnamed file is named on commit through /proc, so only where /proc is there.
        if (access("/proc/self/fd", F_OK) == 0) {
            descriptor_ = ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, mode);
        }
        if (descriptor_ < 0) {
            // A file system without unnamed files: a short name, whatever the file's length.
            std::string name = folder + "/.pravik-XXXXXX";
            descriptor_ = mkostemp(name.data(), O_CLOEXEC);
            if (descriptor_ >= 0) {
                temporaryPath_ = name;
                watchTemporary(temporaryPath_);
            }
        }
        if (descriptor_ >= 0) {
            fchmod(descriptor_, mode);
        }
    }
    if (descriptor_ < 0) {
        error_ = "cannot write '" + path_ + "': " + systemError();
        return;
    }
    buffer_ = std::make_unique<__gnu_cxx::stdio_filebuf<char>>(descriptor_, std::ios::out,
                                                               std::size_t{1} << 16);
    stream_.rdbuf(buffer_.get());
}

OutputFile::~OutputFile() {
    discard();
}

// Flushes what is written; false, with error() saying why, when any of it failed.
bool OutputFile::closeWritten() {
    stream_.flush();
    if (!stream_ || (!direct_ && fsync(descriptor_) != 0)) {
        error_ = "cannot write the results to '" + path_ + "': " + systemError();
        return false;
    }
    return true;
}

bool OutputFile::commit() {
    if (descriptor_ < 0) {
        return false;
    }
    if (!closeWritten()) {
        discard();
        return false;
    }
    if (direct_) {
        discard();
        return true;
    }
    std::string name = temporaryPath_;
    if (name.empty()) {
        // The unnamed file gets a name beside the file, then takes the file's name at once.
        const std::string self = "/proc/self/fd/" + std::to_string(descriptor_);
        for (int attempt = 0; attempt < 100 && name.empty(); ++attempt) {
            std::string candidate = folderOf(target_) + "/.pravik-" + std::to_string(getpid()) +
                                    "-" + std::to_string(attempt);
            if (linkat(AT_FDCWD, self.c_str(), AT_FDCWD, candidate.c_str(), AT_SYMLINK_FOLLOW) ==
                0) {
                name = std::move(candidate);
            } else if (errno != EEXIST) {
                break;
            }
        }
        if (name.empty()) {
            error_ = "cannot replace '" + path_ + "': " + systemError();
            discard();
            return false;
        }
    }
    if (std::rename(name.c_str(), target_.c_str()) != 0) {
        error_ = "cannot replace '" + path_ + "': " + systemError();
        unlink(name.c_str());
        temporaryPath_.clear();
        discard();
        return false;
    }
    temporaryPath_.clear();
    discard();
    return true;
}

void OutputFile::discard() {
    // The buffer owns the descriptor and closes it.
    stream_.rdbuf(nullptr);
    buffer_.reset();
    descriptor_ = -1;
    if (!temporaryPath_.empty()) {
        unlink(temporaryPath_.c_str());
        temporaryPath_.clear();
    }
    forgetTemporary();
}

} // namespace veltrane
