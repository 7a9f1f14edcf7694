#pragma once

#include "calc/calculation.h"

#include <string>
#include <string_view>
#include <vector>

namespace veltrane {

// The seven results one to a line, caption first: "Net Gain   $1,375.00".
std::string resultsAsText(const FieldAccess& fields);

// The seven results as one JSON object keyed by their field names, and "error" when `reason`
// is not empty. `plain` writes each value as a JSON number (the texts of plainSettings()), or
// null when it has none; otherwise every value is its text.
std::string resultsAsJson(const FieldAccess& fields, bool plain, std::string_view reason);

// A position that was refused, for a script that expects JSON: {"error": …, "fields": […]}.
std::string refusalAsJson(std::string_view error, const std::vector<std::string_view>& fields);

// `text` as a JSON string, quotes included.
void appendJsonString(std::string& out, std::string_view text);

} // namespace veltrane
