#pragma once

#include <fstream>
#include <istream>
#include <string>

namespace veltrane {

// The CSV input of a batch: a file, or standard input for none or "-".
class CsvSource {
public:
    // An empty path or "-": standard input.
    explicit CsvSource(std::string path);

    bool fromStandardInput() const { return path_ == "-"; }
    std::istream& stream();
    // How messages name it: the path, or "standard input".
    std::string name() const;

    // False, with the message printed, when the file cannot be read.
    bool open();

private:
    std::string path_;
    std::ifstream file_;
};

} // namespace veltrane
