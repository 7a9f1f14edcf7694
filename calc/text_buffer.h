#pragma once

#include <array>
#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

namespace veltrane {

// A text built in place: on the stack while it fits, which every amount, ratio and return of an
// ordinary calculation does, and moved to a string only past that (a percentage of hundreds of
// digits, or unusually long regional symbols).
// NOLINTNEXTLINE(cppcoreguidelines-pro-type-member-init): inline_ is written before it is read
class TextBuffer {
public:
    // NOLINTNEXTLINE(cppcoreguidelines-pro-type-member-init): as above
    TextBuffer() = default;
    TextBuffer(const TextBuffer&) = delete;
    TextBuffer& operator=(const TextBuffer&) = delete;
    TextBuffer(TextBuffer&&) = delete;
    TextBuffer& operator=(TextBuffer&&) = delete;
    ~TextBuffer() = default;

    // Room for `count` more bytes at the end, for the caller to fill at once.
    char* extend(std::size_t count) {
        if (!onHeap_ && count <= inlineCapacity - size_) {
            char* const at = inline_.data() + size_;
            size_ += count;
            return at;
        }
        return extendOnHeap(count);
    }

    void push(char c) { *extend(1) = c; }

    void append(std::string_view text) {
        char* const at = extend(text.size());
        // Separators and signs are mostly one byte: spare those the call to memcpy.
        if (text.size() == 1) {
            *at = text.front();
        } else if (!text.empty()) {
            std::memcpy(at, text.data(), text.size());
        }
    }

    void append(std::size_t count, char c) {
        if (count > 0) {
            std::memset(extend(count), c, count);
        }
    }

    std::string_view view() const {
        return onHeap_ ? std::string_view{heap_} : std::string_view{inline_.data(), size_};
    }

    std::string str() const { return std::string{view()}; }

private:
    static constexpr std::size_t inlineCapacity = 64;

    // Kept out of line so that extend(), on every write, stays small enough to inline.
    [[gnu::noinline]] char* extendOnHeap(std::size_t count) {
        if (!onHeap_) {
            heap_.reserve(size_ + count);
            heap_.assign(inline_.data(), size_);
            onHeap_ = true;
        }
        const std::size_t at = heap_.size();
        heap_.resize(at + count);
        return heap_.data() + at;
    }

    // Left unset: only the first size_ bytes are ever read, and a calculation makes eight of these.
    std::array<char, inlineCapacity> inline_; // NOLINT(cppcoreguidelines-pro-type-member-init)
    std::size_t size_ = 0;
    bool onHeap_ = false;
    std::string heap_;
};

} // namespace veltrane
