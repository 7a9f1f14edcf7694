#pragma once

#include "calc/calculation.h"
#include "calc/entry_check.h"
#include "cli/exit_status.h"
#include "cli/field_spellings.h"

#include <string>
#include <string_view>

namespace veltrane {

// The months box holds "1" to "12" or nothing: true for exactly those texts, blanks around
// them allowed (blanks alone are nothing chosen).
bool isMonthsChoice(std::string_view months);

// What the command line finds wrong with a position's inputs before calculating it: the
// Calculate check of the four amounts, and the months rule.
struct PositionCheck {
    EntryCheck entries;
    bool monthsRefused = false;

    bool passed() const { return entries.passed() && !monthsRefused; }
};

PositionCheck checkPosition(const FieldAccess& fields, const RegionalSettings& settings);

// Why the months were refused, quoting them: `months must be one of 1 to 12 or empty, not "13"`.
std::string monthsRefusal(std::string_view months);

// Why a position was refused, naming the fields as options or columns: the window's invalid-entry
// message, then the months' refusal.
std::string positionRefusal(const PositionCheck& check, const FieldAccess& fields,
                            FieldSpelling spelling);

// Why a calculated position lacks results, naming each result without a text and the cause:
// "pctReturn: no months chosen". Empty when all seven have a text.
std::string incompleteReason(const FieldAccess& fields);

// The status of one position: refused, incomplete or ok.
ExitStatus positionStatus(const PositionCheck& check, std::string_view incomplete);

} // namespace veltrane
