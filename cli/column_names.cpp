#include "cli/column_names.h"

#include "cli/messages.h"

namespace veltrane {

std::optional<KnownColumn> knownColumn(std::string_view name) {
    static const HeaderNames<KnownColumn> names = calcColumnNames({});
    return names.find(name);
}

HeaderNames<KnownColumn> calcColumnNames(const std::vector<ColumnMapping>& mappings) {
    HeaderNames<KnownColumn> names;
    for (const FieldInfo& info : fieldTable) {
        names.add(columnName(info.field), {info.field});
        names.add(info.caption, {info.field});
        if (info.kind != FieldKind::result) {
            addOtherNames(names, info.key, KnownColumn{info.field}, mappings);
        }
    }
    names.add(errorColumnName, {std::nullopt});
    return names;
}

std::string ambiguousColumnText(std::string_view name, const std::vector<std::string_view>& keys) {
    std::string text = "the header's column ";
    text.append(quotedText(name)).append(keys.size() == 2 ? " matches both " : " matches ");
    for (std::size_t i = 0; i < keys.size(); ++i) {
        text.append(i == 0 ? "" : i + 1 == keys.size() ? " and " : ", ").append(keys[i]);
    }
    return text;
}

} // namespace veltrane
