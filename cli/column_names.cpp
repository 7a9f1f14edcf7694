#include "cli/column_names.h"

#include <vector>

namespace veltrane {

std::string comparableColumnName(std::string_view name) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!name.empty() && blank(name.front())) {
        name.remove_prefix(1);
    }
    while (!name.empty() && blank(name.back())) {
        name.remove_suffix(1);
    }
    std::string out{name};
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        } else if (c == '-' || c == ' ') {
            c = '_';
        }
    }
    return out;
}

namespace {

// Every name a column may go by, worked out once from the table of fields.
struct NameTable {
    struct Entry {
        std::string name;
        KnownColumn column;
    };
    std::vector<Entry> entries;

    NameTable() {
        for (const FieldInfo& info : fieldTable) {
            entries.push_back({comparableColumnName(columnName(info.field)), {info.field}});
            entries.push_back({comparableColumnName(info.caption), {info.field}});
        }
        entries.push_back({comparableColumnName(errorColumnName), {std::nullopt}});
    }
};

} // namespace

std::optional<KnownColumn> knownColumn(std::string_view name) {
    static const NameTable table;
    const std::string comparable = comparableColumnName(name);
    for (const NameTable::Entry& entry : table.entries) {
        if (entry.name == comparable) {
            return entry.column;
        }
    }
    return std::nullopt;
}

} // namespace veltrane
