#pragma once

#include "calc/analysis.h"
#include "calc/entry_check.h"
#include "calc/fields.h"

#include <string>
#include <string_view>

namespace veltrane {

// How the command line spells what the core names by a key: a CSV column is the key itself
// ("option_price"), an option is the key with "-" for "_" ("--option-price").
enum class FieldSpelling { option, column };

// The option without its dashes ("option-price") a key makes.
std::string optionSpelling(std::string_view key);

// A window field's option without dashes ("option-price") and its CSV column ("option_price").
inline std::string optionName(Field field) {
    return optionSpelling(fieldKey(field));
}
constexpr std::string_view columnName(Field field) {
    return fieldKey(field);
}

// A window field as an option ("--option-price") or a column ("option_price").
std::string fieldSpelling(Field field, FieldSpelling spelling);

// An analysis input as an option ("--as-of") or a column ("as_of").
std::string inputSpelling(AnalysisInput input, FieldSpelling spelling);

// The window's invalid-entry message naming the failing fields as options or columns.
std::string entryRefusalText(const EntryCheck& check, FieldSpelling spelling,
                             std::string_view beforeFields);

// An analysis refusal naming its inputs as options or columns.
std::string analysisRefusalMessage(const Refusal& refusal, FieldSpelling spelling);

} // namespace veltrane
