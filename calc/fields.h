#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace veltrane {

// The twelve fields the calculation reads and writes, in the order the table below lists them:
// the five inputs, then the seven results in the order the calculation writes them.
enum class Field {
    intOptionPrice,
    intStrikePrice,
    intCurrentPrice,
    intNoShares,
    cboMonthsOut,
    intOptionsRecd,
    intTotalAssigned,
    intTotalReceipts,
    intTotalStockCost,
    intNetGain,
    intDivideIntoCost,
    pctReturn,
};

enum class FieldKind {
    // One of the four amounts the Calculate check tests.
    amount,
    // The months list: never checked, never cleared.
    months,
    result,
};

struct FieldInfo {
    Field field;
    // The window's control, letter for letter; also the result's column in a CSV output.
    std::string_view controlName;
    // The label that names the field in the window.
    std::string_view caption;
    // An input's key, which the command line makes its option and column of
    // (cli/field_spellings.h); a result's key is its control name.
    std::string_view key;
    FieldKind kind;
};

// Every fact about a field that more than one part of the program needs, written once.
inline constexpr std::array fieldTable{
    FieldInfo{Field::intOptionPrice, "intOptionPrice", "Option Price", "option_price",
              FieldKind::amount},
    FieldInfo{Field::intStrikePrice, "intStrikePrice", "Strike Price", "strike_price",
              FieldKind::amount},
    FieldInfo{Field::intCurrentPrice, "intCurrentPrice", "Current share price", "current_price",
              FieldKind::amount},
    FieldInfo{Field::intNoShares, "intNoShares", "Number of Shares", "shares", FieldKind::amount},
    FieldInfo{Field::cboMonthsOut, "cboMonthsOut", "No Months Out", "months", FieldKind::months},
    FieldInfo{
        Field::intOptionsRecd, "intOptionsRecd", "Received from Options", {}, FieldKind::result},
    FieldInfo{
        Field::intTotalAssigned, "intTotalAssigned", "Total If Assigned", {}, FieldKind::result},
    FieldInfo{Field::intTotalReceipts, "intTotalReceipts", "Total Receipts", {}, FieldKind::result},
    FieldInfo{
        Field::intTotalStockCost, "intTotalStockCost", "Total Stock Cost", {}, FieldKind::result},
    FieldInfo{Field::intNetGain, "intNetGain", "Net Gain", {}, FieldKind::result},
    FieldInfo{
        Field::intDivideIntoCost, "intDivideIntoCost", "Divide Into Cost", {}, FieldKind::result},
    FieldInfo{Field::pctReturn, "pctReturn", "Annual % Return", {}, FieldKind::result},
};

inline constexpr std::size_t fieldCount = fieldTable.size();
static_assert(fieldCount == static_cast<std::size_t>(Field::pctReturn) + 1,
              "every field has exactly one row");

constexpr bool tableFollowsEnum() {
    for (std::size_t i = 0; i < fieldCount; ++i) {
        if (static_cast<std::size_t>(fieldTable[i].field) != i) {
            return false;
        }
    }
    return true;
}
static_assert(tableFollowsEnum(), "row i describes the field with value i");

constexpr const FieldInfo& fieldInfo(Field field) {
    return fieldTable[static_cast<std::size_t>(field)];
}

// The control name, letter for letter ("intOptionPrice").
constexpr std::string_view fieldName(Field field) {
    return fieldInfo(field).controlName;
}

// The key a file or a script names the field by: an input's own, a result's control name.
constexpr std::string_view fieldKey(Field field) {
    const FieldInfo& info = fieldInfo(field);
    return info.kind == FieldKind::result ? info.controlName : info.key;
}

namespace field_lists {

constexpr bool isInput(const FieldInfo& info) {
    return info.kind != FieldKind::result;
}
constexpr bool isResult(const FieldInfo& info) {
    return info.kind == FieldKind::result;
}
constexpr bool isAmount(const FieldInfo& info) {
    return info.kind == FieldKind::amount;
}
constexpr bool isTextBox(const FieldInfo& info) {
    return info.kind != FieldKind::months;
}

template <bool (*Keep)(const FieldInfo&)>
constexpr std::size_t count() {
    std::size_t n = 0;
    for (const FieldInfo& info : fieldTable) {
        n += Keep(info) ? 1U : 0U;
    }
    return n;
}

// The fields of the table that `Keep` keeps, in the table's order.
template <bool (*Keep)(const FieldInfo&)>
constexpr auto select() {
    std::array<Field, count<Keep>()> fields{};
    std::size_t n = 0;
    for (const FieldInfo& info : fieldTable) {
        if (Keep(info)) {
            fields[n++] = info.field;
        }
    }
    return fields;
}

} // namespace field_lists

inline constexpr auto inputFields = field_lists::select<field_lists::isInput>();
// In the order the calculation writes them.
inline constexpr auto resultFields = field_lists::select<field_lists::isResult>();
// The four amounts the Calculate check tests; the months are never tested.
inline constexpr auto checkedFields = field_lists::select<field_lists::isAmount>();
// The eleven text boxes, in the order the Clear command empties them.
inline constexpr auto textBoxFields = field_lists::select<field_lists::isTextBox>();

// Shown when the Calculate check finds an amount that is not a number. The two double spaces and
// "example,you" are the program's wording, letter for letter.
inline constexpr std::string_view invalidEntryMessage =
    "Veltrane has detected an invalid entry in one of your entry fields.  Please review your "
    "entries and correct as necessary.  For example,you mistakenly entered a letter instead of a "
    "number.";

} // namespace veltrane
