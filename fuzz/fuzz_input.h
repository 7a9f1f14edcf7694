#pragma once

#include <cstdint>
#include <cstring>

namespace veltrane::fuzz {

// The next sizeof(T) bytes of a fuzz input as a T; the caller has checked there are enough.
template <typename T>
T take(const std::uint8_t*& data) {
    T value;
    std::memcpy(&value, data, sizeof value);
    data += sizeof value;
    return value;
}

} // namespace veltrane::fuzz
