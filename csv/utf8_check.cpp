#include "csv/utf8_check.h"

#include <bit>
#include <cstdint>
#include <cstring>

namespace veltrane {

namespace {

constexpr std::uint64_t highBits = 0x8080808080808080U;

std::uint64_t word(const char* at) {
    std::uint64_t value = 0;
    std::memcpy(&value, at, sizeof value);
    return value;
}

unsigned char byteAt(const char* at) {
    return static_cast<unsigned char>(*at);
}

// The bytes a character takes after its lead byte, and the range its second byte must fall in
// (the rest are 0x80 to 0xBF); 0 for a byte that starts none.
struct Lead {
    std::size_t length;
    unsigned char low;
    unsigned char high;
};

constexpr Lead leadOf(unsigned char byte) {
    if (byte >= 0xC2 && byte <= 0xDF) {
        return {2, 0x80, 0xBF};
    }
    if (byte == 0xE0) {
        return {3, 0xA0, 0xBF};
    }
    if (byte == 0xED) {
        return {3, 0x80, 0x9F}; // not a surrogate
    }
    if (byte >= 0xE1 && byte <= 0xEF) {
        return {3, 0x80, 0xBF};
    }
    if (byte == 0xF0) {
        return {4, 0x90, 0xBF};
    }
    if (byte >= 0xF1 && byte <= 0xF3) {
        return {4, 0x80, 0xBF};
    }
    if (byte == 0xF4) {
        return {4, 0x80, 0x8F}; // not beyond U+10FFFF
    }
    return {0, 0, 0};
}

// Where the run of ASCII that starts at `at` ends: 32 bytes a test, then 8, and then straight to
// the first byte that is not ASCII, a word's first byte being its lowest.
const char* asciiRunEnd(const char* at, const char* end) {
    while (end - at >= 32 &&
           ((word(at) | word(at + 8) | word(at + 16) | word(at + 24)) & highBits) == 0) {
        at += 32;
    }
    while (end - at >= 8) {
        const std::uint64_t high = word(at) & highBits;
        if (high != 0) {
            if constexpr (std::endian::native == std::endian::little) {
                return at + std::countr_zero(high) / 8;
            }
            break;
        }
        at += 8;
    }
    while (at != end && byteAt(at) < 0x80) {
        ++at;
    }
    return at;
}

// The character that starts at `at` with a byte that is not ASCII: its length, or 0 with the
// check's `cut` or `faultBytes` set.
std::size_t characterLength(const char* at, const char* end, Utf8Check& check) {
    const Lead lead = leadOf(byteAt(at));
    if (lead.length == 0) {
        check.faultBytes = 1;
        return 0;
    }
    const auto available = static_cast<std::size_t>(end - at);
    for (std::size_t i = 1; i < lead.length; ++i) {
        if (i == available) {
            check.cut = true;
            return 0;
        }
        const unsigned char byte = byteAt(at + i);
        if (byte < (i == 1 ? lead.low : 0x80) || byte > (i == 1 ? lead.high : 0xBF)) {
            check.faultBytes = i + 1;
            return 0;
        }
    }
    return lead.length;
}

} // namespace

Utf8Check checkUtf8(std::string_view bytes) {
    const char* const begin = bytes.data();
    const char* const end = begin + bytes.size();
    Utf8Check check;
    const char* at = asciiRunEnd(begin, end);
    while (at != end) {
        const std::size_t length = characterLength(at, end, check);
        if (length == 0) {
            check.valid = static_cast<std::size_t>(at - begin);
            return check;
        }
        at = asciiRunEnd(at + length, end);
    }
    check.valid = bytes.size();
    return check;
}

std::string hexBytes(const char* bytes, std::size_t count) {
    static constexpr char hex[] = "0123456789ABCDEF";
    std::string out;
    for (std::size_t i = 0; i < count; ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        out.append(i == 0 ? "0x" : " 0x").push_back(hex[byte >> 4]);
        out.push_back(hex[byte & 0xF]);
    }
    return out;
}

std::string utf8FaultText(const char* fault, std::size_t count) {
    const std::string bytes = hexBytes(fault, count);
    return count == 1 ? "the byte " + bytes + " begins no UTF-8 character"
                      : "the bytes " + bytes + " are no UTF-8 character";
}

} // namespace veltrane
