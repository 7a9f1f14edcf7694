#pragma once

#include <fstream>
#include <istream>
#include <ostream>
#include <string>

namespace veltrane {

// The CSV input of a batch: a file, or standard input for none or "-".
class CsvSource {
public:
    // An empty path or "-": `standardInput`. Messages go to `err`.
    CsvSource(std::string path, std::istream& standardInput, std::ostream& err);

    bool fromStandardInput() const { return path_ == "-"; }
    std::istream& stream();
    // How messages name it: the path, or "standard input".
    std::string name() const;

    // False, with the message printed, when the file cannot be read.
    bool open();

private:
    std::string path_;
    std::istream& standardInput_;
    std::ostream& err_;
    std::ifstream file_;
};

} // namespace veltrane
