#include "cli/csv_source.h"

#include "cli/messages.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace veltrane {

CsvSource::CsvSource(std::string path, std::istream& standardInput, std::ostream& err)
    : path_{path.empty() ? std::string{"-"} : std::move(path)}
    , standardInput_{standardInput}
    , err_{err} {}

std::istream& CsvSource::stream() {
    return fromStandardInput() ? standardInput_ : file_;
}

std::string CsvSource::name() const {
    return fromStandardInput() ? std::string{"standard input"} : path_;
}

bool CsvSource::open() {
    if (fromStandardInput()) {
        return true;
    }
    std::error_code ignored;
    if (std::filesystem::is_directory(path_, ignored)) {
        printError(err_, "cannot read " + quotedPath(path_) + ": it is a folder");
        return false;
    }
    file_.open(path_, std::ios::binary);
    if (!file_) {
        printError(err_, "cannot read " + quotedPath(path_) + ": " + std::strerror(errno));
        return false;
    }
    return true;
}

} // namespace veltrane
