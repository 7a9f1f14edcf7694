#include "csv/utf8_check.h"

#include <bit>
#include <cstdint>
#include <cstring>

namespace veltrane {

namespace {

constexpr std::uint64_t highBits = 0x8080808080808080U;

std::uint64_t word(const unsigned char* at) {
    std::uint64_t value = 0;
    std::memcpy(&value, at, sizeof value);
    return value;
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

} // namespace

Utf8Check checkUtf8(std::string_view bytes) {
    const auto* const begin = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* const end = begin + bytes.size();
    const auto* at = begin;
    const auto offset = [begin](const unsigned char* p) {
        return static_cast<std::size_t>(p - begin);
    };
    while (at != end) {
        while (end - at >= 32 &&
               ((word(at) | word(at + 8) | word(at + 16) | word(at + 24)) & highBits) == 0) {
            at += 32;
        }
        if (at == end) {
            break;
        }
        if (end - at >= 8) {
            const std::uint64_t high = word(at) & highBits;
            if (high == 0) {
                at += 8;
                continue;
            }
            // Straight to the first byte that is not ASCII, where a word's first byte is its
            // lowest.
            if constexpr (std::endian::native == std::endian::little) {
                at += std::countr_zero(high) / 8;
            }
        }
        if (*at < 0x80) {
            ++at;
            continue;
        }
        const Lead lead = leadOf(*at);
        if (lead.length == 0) {
            return {offset(at), false, 1};
        }
        const auto available = static_cast<std::size_t>(end - at);
        for (std::size_t i = 1; i < lead.length; ++i) {
            if (i == available) {
                return {offset(at), true, 0};
            }
            const unsigned char low = i == 1 ? lead.low : 0x80;
            const unsigned char high = i == 1 ? lead.high : 0xBF;
            if (at[i] < low || at[i] > high) {
                return {offset(at), false, i + 1};
            }
        }
        at += lead.length;
    }
    return {bytes.size(), false, 0};
}

std::string utf8FaultText(const char* fault, std::size_t count) {
    static constexpr char hex[] = "0123456789ABCDEF";
    std::string bytes;
    for (std::size_t i = 0; i < count; ++i) {
        const auto byte = static_cast<unsigned char>(fault[i]);
        bytes.append(i == 0 ? "0x" : " 0x").push_back(hex[byte >> 4]);
        bytes.push_back(hex[byte & 0xF]);
    }
    return count == 1 ? "the byte " + bytes + " begins no UTF-8 character"
                      : "the bytes " + bytes + " are no UTF-8 character";
}

} // namespace veltrane
