#include "cli/decoded_input.h"

#include "csv/utf8_check.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <iconv.h>
#include <ios>
#include <utility>
#include <vector>

namespace veltrane {

namespace {

constexpr std::size_t inputBytes = std::size_t{64} * 1024;
constexpr std::size_t outputBytes = std::size_t{64} * 1024;

constexpr std::string_view utf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view utf16LittleMark = "\xFF\xFE";
constexpr std::string_view utf16BigMark = "\xFE\xFF";

// Ends the converted text where the conversion failed: never a byte of UTF-8, so the reader
// stops on it, on the line where the fault stood.
constexpr char endOfText = '\xFF';

// Whether iconv_open gave a conversion rather than its failure, (iconv_t)-1.
bool opened(iconv_t cd) {
    // Compared as a pointer: the lint gate's analyser crashes on the integer form.
    // NOLINTNEXTLINE(*-reinterpret-cast,performance-no-int-to-ptr)
    return cd != reinterpret_cast<iconv_t>(std::intptr_t{-1});
}

// An encoding's name as two names for it are compared: capitals, no "-" or "_".
std::string comparable(std::string_view name) {
    std::string out;
    for (const char c : name) {
        if (c != '-' && c != '_') {
            out.push_back(c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c);
        }
    }
    return out;
}

// The bytes a character of the encoding takes at least, for a message that shows one.
std::size_t unitBytes(std::string_view comparableName) {
    if (comparableName.starts_with("UTF32") || comparableName.starts_with("UCS4")) {
        return 4;
    }
    return comparableName.starts_with("UTF16") || comparableName.starts_with("UCS2") ? 2 : 1;
}

} // namespace

// The source's bytes through iconv into UTF-8, or as they are when there is nothing to convert.
class DecodedInput::Converter : public std::streambuf {
public:
    explicit Converter(std::istream& source)
        : source_{source}
        , in_(inputBytes) {}
    ~Converter() override {
        if (converting_) {
            iconv_close(cd_);
        }
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    Converter(Converter&&) = delete;
    Converter& operator=(Converter&&) = delete;

    // The first bytes of the source, read and not yet converted.
    std::string_view head() {
        if (end_ == 0) {
            readSource();
        }
        return {in_.data() + begin_, end_ - begin_};
    }
    void skip(std::size_t bytes) { begin_ += bytes; }
    // Bytes that come before the converted text: the UTF-8 byte order mark for UTF-16's.
    void putFirst(std::string_view bytes) { first_ = bytes; }

    // Converts from `encoding` from now on (until then, bytes pass as they are).
    bool convertFrom(const std::string& encoding) {
        cd_ = iconv_open("UTF-8", encoding.c_str());
        converting_ = opened(cd_);
        unit_ = unitBytes(comparable(encoding));
        return converting_;
    }

    const std::optional<std::string>& fault() const { return fault_; }

protected:
    int_type underflow() override {
        if (gptr() != egptr()) {
            return traits_type::to_int_type(*gptr());
        }
        out_.resize(outputBytes + 1); // room for endOfText
        char* const start = out_.data();
        char* at = std::copy(first_.begin(), first_.end(), start);
        first_ = {};
        while (at == start && !done_) {
            step(at, start + outputBytes);
        }
        if (at == start) {
            if (failed_) {
                // The stream reading from here takes this as its own failure to read.
                throw std::ios_base::failure{"the input could not be read"};
            }
            return traits_type::eof();
        }
        setg(start, start, at);
        return traits_type::to_int_type(*start);
    }

private:
    // Keeps the bytes not yet converted at the front, and reads after them.
    void readSource() {
        std::memmove(in_.data(), in_.data() + begin_, end_ - begin_);
        end_ -= begin_;
        begin_ = 0;
        if (!source_.good()) {
            sourceEnded_ = true;
            failed_ = source_.bad();
            return;
        }
        const std::size_t room = in_.size() - end_;
        source_.read(in_.data() + end_, static_cast<std::streamsize>(room));
        const auto count = static_cast<std::size_t>(source_.gcount());
        end_ += count;
        // A short read is the end of the input, or a failure to read it.
        sourceEnded_ = count < room;
        failed_ = source_.bad();
    }

    // Converts what it can into [at, limit); done_ once nothing more will come.
    void step(char*& at, char* limit) {
        if ((begin_ == end_ || waiting_) && !sourceEnded_) {
            readSource();
            waiting_ = false;
        }
        if (begin_ == end_) {
            done_ = true;
            return;
        }
        if (waiting_) {
            stop("the input ends inside a character", at);
            return;
        }
        char* from = in_.data() + begin_;
        std::size_t fromLeft = end_ - begin_;
        if (!converting_) {
            const std::size_t count = std::min(fromLeft, static_cast<std::size_t>(limit - at));
            at = std::copy_n(from, count, at);
            begin_ += count;
            return;
        }
        auto room = static_cast<std::size_t>(limit - at);
        const std::size_t converted = iconv(cd_, &from, &fromLeft, &at, &room);
        const int error = errno;
        begin_ = static_cast<std::size_t>(from - in_.data());
        if (converted != static_cast<std::size_t>(-1) || error == E2BIG) {
            return;
        }
        if (error == EINVAL) {
            waiting_ = true; // a character cut by the end of what was read
            return;
        }
        const std::size_t shown = std::min(unit_, fromLeft);
        stop(shown == 1 ? "the byte " + hexBytes(from, shown) + " stands for no character in it"
                        : "the bytes " + hexBytes(from, shown) + " stand for no character in it",
             at);
    }

    void stop(std::string why, char*& at) {
        fault_ = std::move(why);
        *at++ = endOfText;
        done_ = true;
    }

    std::istream& source_;
    iconv_t cd_{};
    bool converting_ = false;
    std::size_t unit_ = 1;
    std::vector<char> in_;
    std::size_t begin_ = 0;
    std::size_t end_ = 0;
    std::string_view first_;
    std::vector<char> out_;
    bool sourceEnded_ = false;
    bool failed_ = false;
    bool waiting_ = false;
    bool done_ = false;
    std::optional<std::string> fault_;
};

DecodedInput::DecodedInput(std::istream& source, std::string encoding)
    : source_{source}
    , named_{std::move(encoding)} {}

DecodedInput::~DecodedInput() = default;

std::optional<std::string> DecodedInput::start() {
    const std::string kind = comparable(named_);
    const bool utf8 = named_.empty() || kind == "UTF8";
    if (utf8) {
        // Only UTF-16's byte order marks begin with a byte that UTF-8 never has.
        const int first = source_.peek();
        if (first != 0xFF && first != 0xFE) {
            return std::nullopt;
        }
    }
    converter_ = std::make_unique<Converter>(source_);
    converted_ = std::make_unique<std::istream>(converter_.get());
    const std::string_view head = converter_->head();
    std::string marked;
    if (head.starts_with(utf8Mark)) {
        marked = "UTF-8";
    } else if (head.starts_with(utf16LittleMark)) {
        marked = "UTF-16LE";
    } else if (head.starts_with(utf16BigMark)) {
        marked = "UTF-16BE";
    }
    if (marked.empty()) {
        if (utf8) {
            return std::nullopt; // bytes that are no UTF-8, which the reader refuses
        }
        name_ = named_;
        if (!converter_->convertFrom(named_)) {
            return "unknown encoding " + named_;
        }
        return std::nullopt;
    }
    const bool agrees =
        named_.empty() || kind == comparable(marked) || (kind == "UTF16" && marked != "UTF-8");
    if (!agrees) {
        return "the file begins with a " + marked + " byte order mark, so it is not in " + named_ +
               "; leave out --encoding";
    }
    name_ = marked;
    if (marked != "UTF-8") {
        // The reader takes UTF-8's byte order mark for the one the file had.
        converter_->skip(utf16LittleMark.size());
        converter_->putFirst(utf8Mark);
        converter_->convertFrom(marked);
    }
    return std::nullopt;
}

std::istream& DecodedInput::stream() {
    return converted_ ? *converted_ : source_;
}

std::optional<std::string> DecodedInput::fault() const {
    return converter_ ? converter_->fault() : std::nullopt;
}

bool DecodedInput::knows(std::string_view encoding) {
    // iconv reads "NAME//TRANSLIT" and the like as ways to convert; --encoding names an encoding.
    if (encoding.empty() || encoding.find_first_of("/,") != std::string_view::npos) {
        return false;
    }
    iconv_t cd = iconv_open("UTF-8", std::string{encoding}.c_str());
    if (!opened(cd)) {
        return false;
    }
    iconv_close(cd);
    return true;
}

} // namespace veltrane
