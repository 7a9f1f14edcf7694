#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace veltrane {

// The keys of --json --csv output, one JSON object per row (JSON Lines): every output column
// under its name, in the order the CSV output would hold them.
class JsonLineKeys {
public:
    // Adds a column; `number`: its values are plain figures, written as JSON numbers (null for
    // none) rather than strings.
    void add(std::string_view name, bool number);

    // A name given to two columns, which one JSON object cannot hold twice; nothing when all
    // differ.
    std::optional<std::string> repeatedName() const;

    std::size_t size() const { return keys_.size(); }

    // Appends the object of one row, `values` in the order of the keys, and a line feed.
    void appendLine(std::string& out, const std::vector<std::string_view>& values) const;

private:
    std::vector<std::string> names_;
    // `"name": ` as written, so a row only writes its values.
    std::vector<std::string> keys_;
    std::vector<bool> numbers_;
};

} // namespace veltrane
