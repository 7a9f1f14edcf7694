#pragma once

#include "calc/analysis.h"
#include "calc/entry_check.h"
#include "calc/fields.h"

#include <array>
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

// Captions spreadsheets and brokers' exports give the inputs, which a CSV header may use beside
// each input's key and its own caption: the key each stands for, then the caption. A command
// takes those of its own inputs only (calc has no expiry). Compared as comparableColumnName
// says, so "Stock Price" is "stock_price" too.
struct InputCaption {
    std::string_view key;
    std::string_view caption;
};

inline constexpr std::array inputCaptions{
    InputCaption{"strike_price", "Strike"},
    InputCaption{"strike_price", "Strike Price"},
    InputCaption{"option_price", "Premium"},
    InputCaption{"option_price", "Bid"},
    InputCaption{"current_price", "Last"},
    InputCaption{"current_price", "Stock Price"},
    InputCaption{"current_price", "Underlying Price"},
    InputCaption{"current_price", "Price"},
    InputCaption{"shares", "Qty"},
    InputCaption{"shares", "Quantity"},
    InputCaption{"shares", "Shares"},
    InputCaption{"contracts", "Contracts"},
    InputCaption{"expiry", "Expiration"},
    InputCaption{"expiry", "Expiration Date"},
    InputCaption{"expiry", "Expiry"},
    InputCaption{"days", "DTE"},
    InputCaption{"days", "Days to Expiry"},
    InputCaption{"fees", "Fees"},
    InputCaption{"fees", "Commission"},
    InputCaption{"dividend", "Dividend"},
    InputCaption{"ex_dividend", "Ex-Date"},
    InputCaption{"cost_basis", "Cost Basis"},
    InputCaption{"cost_basis", "Average Cost"},
};

// Every caption stands for an input's key (the analysis has every input calc has): a misspelt
// key would name nothing.
constexpr bool captionsNameInputs() {
    for (const InputCaption& caption : inputCaptions) {
        bool found = false;
        for (const AnalysisInputInfo& info : analysisInputs) {
            found = found || info.key == caption.key;
        }
        if (!found) {
            return false;
        }
    }
    return true;
}
static_assert(captionsNameInputs(), "every caption names an input's key");

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
