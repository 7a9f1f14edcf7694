#pragma once

#include "calc/fields.h"
#include "cli/field_spellings.h"
#include "csv/header_names.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace veltrane {

// The column a batch adds after the seven results, naming why a position has none or not all.
inline constexpr std::string_view errorColumnName = "error";

// A column of a CSV header, as the program knows it: one of the twelve fields, or the error
// column of a file the program wrote.
struct KnownColumn {
    std::optional<Field> field; // nothing: the error column

    friend bool operator==(const KnownColumn&, const KnownColumn&) = default;
};

// A header's column the user names for an input with `--column KEY=HEADER`.
struct ColumnMapping {
    std::string key;    // the input's key: "strike_price"
    std::string header; // the column as the header names it: "Strike $"
};

// The field or error column a header names, by its CSV column name, by the window's caption
// ("Number of Shares") or by a spreadsheet's (inputCaptions), compared as comparableColumnName
// says. Nothing for any other column.
std::optional<KnownColumn> knownColumn(std::string_view name);

// The names of knownColumn and the columns `mappings` names: what one run of `pravik calc --csv`
// reads its header by.
HeaderNames<KnownColumn> calcColumnNames(const std::vector<ColumnMapping>& mappings);

// Adds the names the input `key` goes by beyond its key and caption: the spreadsheets' captions
// of it, and the columns `mappings` gives it.
template <typename Value>
void addOtherNames(HeaderNames<Value>& names, std::string_view key, const Value& value,
                   const std::vector<ColumnMapping>& mappings) {
    for (const InputCaption& caption : inputCaptions) {
        if (caption.key == key) {
            names.add(caption.caption, value);
        }
    }
    for (const ColumnMapping& mapping : mappings) {
        if (mapping.key == key) {
            names.add(mapping.header, value);
        }
    }
}

// The refusal of a header column that stands for more than one key: `the header's column
// "Premium" matches both option_price and strike_price`.
std::string ambiguousColumnText(std::string_view name, const std::vector<std::string_view>& keys);

// The refusal of a header column `name` that `matches` more than one key, each named by
// `keyOf`; nothing for one match or none.
template <typename Value, typename KeyOf>
std::optional<std::string> ambiguousColumn(std::string_view name, const std::vector<Value>& matches,
                                           KeyOf keyOf) {
    if (matches.size() < 2) {
        return std::nullopt;
    }
    std::vector<std::string_view> keys;
    keys.reserve(matches.size());
    for (const Value& match : matches) {
        keys.push_back(keyOf(match));
    }
    return ambiguousColumnText(name, keys);
}

} // namespace veltrane
