#pragma once

#include "calc/calculation.h"
#include "calc/number_text.h"

#include <array>
#include <cstddef>

namespace veltrane {

// The four amounts the Calculate check tests; the months are never tested.
inline constexpr std::array<Field, 4> checkedFields{Field::intOptionPrice, Field::intStrikePrice,
                                                    Field::intCurrentPrice, Field::intNoShares};

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

} // namespace veltrane
