#include "csv/record_cutter.h"

#include <algorithm>
#include <cstring> // and memrchr, which glibc declares beside the standard functions
#include <utility>

namespace veltrane {

namespace {

// Scans bytes [from, to) of `text`, which starts where a record starts, keeping track of quotes.
// Returns where the last record ending in that range ends, or `lastEnd` if none does. Runs from
// quote to quote with memchr, since most of a batch's bytes are outside quotes.
std::size_t scanRecordEnds(std::string_view text, std::size_t from, bool& inQuotes,
                           std::size_t lastEnd) {
    const char* const data = text.data();
    const std::size_t to = text.size();
    std::size_t i = from;
    while (i < to) {
        const auto* quote = static_cast<const char*>(std::memchr(data + i, '"', to - i));
        const std::size_t stop = quote == nullptr ? to : static_cast<std::size_t>(quote - data);
        if (!inQuotes) {
            const auto* lineFeed = static_cast<const char*>(memrchr(data + i, '\n', stop - i));
            if (lineFeed != nullptr) {
                lastEnd = static_cast<std::size_t>(lineFeed - data) + 1;
            }
        }
        if (quote == nullptr) {
            break;
        }
        inQuotes = !inQuotes;
        i = stop + 1;
    }
    return lastEnd;
}

} // namespace

RecordCutter::RecordCutter(std::istream& input, std::size_t blockBytes, std::size_t openLimit)
    : input_{input}
    , blockBytes_{std::max<std::size_t>(blockBytes, 1)}
    , openLimit_{std::max(openLimit, blockBytes_)} {}

std::size_t RecordCutter::wholeRecordsLength(std::string_view bytes) {
    bool inQuotes = false;
    return scanRecordEnds(bytes, 0, inQuotes, 0);
}

bool RecordCutter::readMore() {
    if (inputEnded_) {
        return false;
    }
    const std::size_t kept = pending_.size();
    std::size_t count = 0;
    if (input_.good()) {
        pending_.resize(kept + blockBytes_);
        input_.read(pending_.data() + kept, static_cast<std::streamsize>(blockBytes_));
        count = static_cast<std::size_t>(input_.gcount());
    }
    pending_.resize(kept + count);
    // A short read is the end of the input, or a failure to read it that readFailed() tells.
    if (count < blockBytes_) {
        inputEnded_ = true;
    }
    lastRecordEnd_ = scanRecordEnds(pending_, scanned_, inQuotes_, lastRecordEnd_);
    scanned_ = pending_.size();
    return true;
}

bool RecordCutter::next(RecordBlock& block) {
    if (finished_) {
        return false;
    }
    while ((lastRecordEnd_ == 0 || pending_.size() < blockBytes_) && !inputEnded_ &&
           pending_.size() <= openLimit_) {
        readMore();
    }
    block.firstLine = line_;
    block.open = false;
    if (lastRecordEnd_ == 0 || inputEnded_) {
        // The last block takes whatever is left, record end or not; a block with no record end
        // before the limit takes the rest of the input along with it.
        if (pending_.empty()) {
            finished_ = true;
            return false;
        }
        block.open = !inputEnded_;
        block.bytes.swap(pending_);
        pending_.clear();
        line_ +=
            static_cast<std::uint64_t>(std::count(block.bytes.begin(), block.bytes.end(), '\n'));
        finished_ = true;
        return true;
    }

    // The storage of the block handed back in is reused for what stays pending.
    block.bytes.swap(pending_);
    pending_.assign(block.bytes, lastRecordEnd_);
    block.bytes.resize(lastRecordEnd_);
    line_ += static_cast<std::uint64_t>(std::count(block.bytes.begin(), block.bytes.end(), '\n'));
    // What stays pending was scanned already and holds no record end; the quotes it leaves open
    // are the same counted from its own start, as a record ended just before it.
    scanned_ = pending_.size();
    lastRecordEnd_ = 0;
    return true;
}

} // namespace veltrane
