#pragma once

#include "calc/calculation.h"
#include "calc/fields.h"
#include "calc/number_text.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace veltrane {

// Which of the checked fields hold no number, in the order of checkedFields.
struct EntryCheck {
    std::array<bool, checkedFields.size()> failed{};

    bool passed() const {
        for (const bool fieldFailed : failed) {
            if (fieldFailed) {
                return false;
            }
        }
        return true;
    }
};

// The Calculate button's check: each amount's text exactly as it stands, through the core's test.
inline EntryCheck checkEntries(const FieldAccess& fields, const RegionalSettings& settings) {
    EntryCheck check;
    for (std::size_t i = 0; i < checkedFields.size(); ++i) {
        check.failed[i] = !isNumeric(fields.text(checkedFields[i]), settings);
    }
    return check;
}

// The same check on inputs already read: a text is a number exactly when it reads as one.
inline EntryCheck checkEntries(const ReadInputs& inputs) {
    EntryCheck check;
    for (std::size_t i = 0; i < checkedFields.size(); ++i) {
        check.failed[i] = !inputs[checkedFields[i]].ok();
    }
    return check;
}

// The invalid-entry message, `beforeFields`, then the failing fields as `name` spells them:
// "... a number.\nFields: --option-price, --shares".
inline std::string invalidEntryText(const EntryCheck& check, std::string (*name)(Field),
                                    std::string_view beforeFields) {
    std::string text{invalidEntryMessage};
    text.append(beforeFields);
    const char* separator = " ";
    for (std::size_t i = 0; i < checkedFields.size(); ++i) {
        if (!check.failed[i]) {
            continue;
        }
        text.append(separator).append(name(checkedFields[i]));
        separator = ", ";
    }
    return text;
}

} // namespace veltrane
