#pragma once

#include "calc/fields.h"
#include "csv/header_names.h"

#include <optional>
#include <string>
#include <string_view>

namespace veltrane {

// The column a batch adds after the seven results, naming why a position has none or not all.
inline constexpr std::string_view errorColumnName = "error";

// A column of a CSV header, as the program knows it: one of the twelve fields, or the error
// column of a file the program wrote.
struct KnownColumn {
    std::optional<Field> field; // nothing: the error column
};

// The field or error column a header names, by its CSV column name or by the window's caption
// ("Number of Shares"), compared as comparableColumnName says. Nothing for any other column.
std::optional<KnownColumn> knownColumn(std::string_view name);

} // namespace veltrane
