#include "cli/json_lines.h"

#include "cli/position_output.h"

#include <algorithm>

namespace veltrane {

void JsonLineKeys::add(std::string_view name, bool number) {
    names_.emplace_back(name);
    std::string key;
    appendJsonString(key, name);
    keys_.push_back(key.append(": "));
    numbers_.push_back(number);
}

std::optional<std::string> JsonLineKeys::repeatedName() const {
    std::vector<std::string_view> sorted{names_.begin(), names_.end()};
    std::sort(sorted.begin(), sorted.end());
    const auto repeated = std::adjacent_find(sorted.begin(), sorted.end());
    if (repeated == sorted.end()) {
        return std::nullopt;
    }
    return std::string{*repeated};
}

void JsonLineKeys::appendLine(std::string& out, const std::vector<std::string_view>& values) const {
    out.push_back('{');
    for (std::size_t i = 0; i < keys_.size(); ++i) {
        if (i > 0) {
            out.append(", ");
        }
        out.append(keys_[i]);
        if (!numbers_[i]) {
            appendJsonString(out, values[i]);
        } else if (values[i].empty()) {
            out.append("null");
        } else {
            out.append(values[i]);
        }
    }
    out.append("}\n");
}

} // namespace veltrane
