#include "cli/column_names.h"

#include "cli/field_spellings.h"

namespace veltrane {

namespace {

// Every name a column may go by, worked out once from the table of fields.
HeaderNames<KnownColumn> nameTable() {
    HeaderNames<KnownColumn> names;
    for (const FieldInfo& info : fieldTable) {
        names.add(columnName(info.field), {info.field});
        names.add(info.caption, {info.field});
    }
    names.add(errorColumnName, {std::nullopt});
    return names;
}

} // namespace

std::optional<KnownColumn> knownColumn(std::string_view name) {
    static const HeaderNames<KnownColumn> names = nameTable();
    return names.find(name);
}

} // namespace veltrane
