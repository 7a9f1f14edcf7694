#pragma once

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace veltrane {

// The form in which two column names are compared: no blanks around it, ASCII letters in lower
// case, and "-" and " " written as "_". "Option Price", "option-price" and " OPTION_PRICE " agree.
std::string comparableColumnName(std::string_view name);

// A field of nothing but spaces and tabs, or of nothing.
bool isBlankField(std::string_view text);

// The names a header's columns may go by, each standing for a value of the caller's: names are
// compared in their comparable form, so a caption and a key spelled either way both match.
template <typename Value>
class HeaderNames {
public:
    void add(std::string_view name, Value value) {
        entries_.emplace_back(comparableColumnName(name), std::move(value));
    }

    // What `name` stands for; nothing for a column the table does not know.
    std::optional<Value> find(std::string_view name) const {
        const std::string comparable = comparableColumnName(name);
        for (const auto& [known, value] : entries_) {
            if (known == comparable) {
                return value;
            }
        }
        return std::nullopt;
    }

    // Everything `name` stands for, each once, in the order added: more than one when two
    // names given for different values compare alike.
    std::vector<Value> findAll(std::string_view name) const {
        const std::string comparable = comparableColumnName(name);
        std::vector<Value> found;
        for (const auto& [known, value] : entries_) {
            if (known == comparable &&
                std::find(found.begin(), found.end(), value) == found.end()) {
                found.push_back(value);
            }
        }
        return found;
    }

private:
    std::vector<std::pair<std::string, Value>> entries_;
};

} // namespace veltrane
