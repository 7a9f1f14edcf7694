#pragma once

#include <istream>
#include <memory>
#include <optional>
#include <streambuf>
#include <string>
#include <string_view>

namespace veltrane {

// A CSV input as the reader reads it: UTF-8. UTF-8, with or without a byte order mark, is read
// as it is; UTF-16 with a byte order mark (what a spreadsheet saves as "Unicode"), or text in
// the encoding --encoding names, is converted by iconv as it is read, and its byte order mark
// becomes UTF-8's. Text the conversion cannot take ends the converted input with a byte that is
// never UTF-8, so the reader stops on the line where it stood and fault() says what it was.
class DecodedInput {
public:
    // `encoding`: the name --encoding gave, empty for none (UTF-8 unless a byte order mark says).
    DecodedInput(std::istream& source, std::string encoding);
    ~DecodedInput();
    DecodedInput(const DecodedInput&) = delete;
    DecodedInput& operator=(const DecodedInput&) = delete;
    DecodedInput(DecodedInput&&) = delete;
    DecodedInput& operator=(DecodedInput&&) = delete;

    // Looks at the start of the input and sets up its reading. Nothing, or why it cannot be read
    // as it was named: a byte order mark that says another encoding than --encoding.
    std::optional<std::string> start();

    std::istream& stream();

    // The encoding the input is read in, as messages name it: "UTF-8", "UTF-16LE", or --encoding's
    // name as given.
    const std::string& encodingName() const { return name_; }

    // What the conversion met that is no text in the encoding, if it met anything.
    std::optional<std::string> fault() const;

    // Whether iconv converts from `encoding` to UTF-8: what --encoding may name.
    static bool knows(std::string_view encoding);

private:
    class Converter;

    std::istream& source_;
    std::string named_;
    std::string name_ = "UTF-8";
    std::unique_ptr<Converter> converter_;
    std::unique_ptr<std::istream> converted_;
};

} // namespace veltrane
