#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace veltrane {

// How far a run of bytes is well-formed UTF-8, as Unicode's table 3-7 has it: no overlong
// forms, no surrogates, nothing beyond U+10FFFF.
struct Utf8Check {
    // The bytes up to the first that is not UTF-8, or up to a character the run ends inside.
    std::size_t valid = 0;
    // The run ends inside a character, which bytes after it may complete.
    bool cut = false;
    // The bytes from `valid` on that make no character (0 when the run is all UTF-8 or cut).
    std::size_t faultBytes = 0;
};

// Checks `bytes`, runs of ASCII a word at a time: most of a CSV file is ASCII, and this runs over
// every byte of the batch's input.
Utf8Check checkUtf8(std::string_view bytes);

// Says what is wrong with the `count` bytes at `fault`: "the byte 0x80 begins no UTF-8
// character", "the bytes 0xC3 0x28 are no UTF-8 character".
std::string utf8FaultText(const char* fault, std::size_t count);

// `count` bytes as a message shows them: "0x80 0x81".
std::string hexBytes(const char* bytes, std::size_t count);

} // namespace veltrane
