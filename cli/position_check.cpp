#include "cli/position_check.h"

#include "calc/typed_text.h"
#include "cli/messages.h"

#include <cstddef>

namespace veltrane {

namespace {

constexpr std::string_view beyondRange = "beyond the largest amount the program holds";

// Why the ratio is missing: an amount beyond the range, or no stock cost.
std::string_view ratioCause(std::size_t missingAmounts) {
    return missingAmounts > 0 ? "an amount it rests on is beyond the largest the program holds"
                              : "no stock cost: the ratio has no value";
}

// The cause of each missing result, told from which texts are there.
std::string_view causeFor(const FieldAccess& fields, Field result) {
    std::size_t missingAmounts = 0;
    for (const Field field :
         {Field::intOptionsRecd, Field::intTotalAssigned, Field::intTotalReceipts,
          Field::intTotalStockCost, Field::intNetGain}) {
        missingAmounts += fields.text(field).empty() ? 1U : 0U;
    }
    switch (result) {
    case Field::intDivideIntoCost:
        return ratioCause(missingAmounts);
    case Field::pctReturn:
        if (typed::trimmed(fields.text(Field::cboMonthsOut)).empty()) {
            return "no months chosen";
        }
        return fields.text(Field::intDivideIntoCost).empty() ? ratioCause(missingAmounts)
                                                             : "the return has no value";
    default:
        return beyondRange;
    }
}

} // namespace

bool isMonthsChoice(std::string_view months) {
    const std::string_view text = typed::trimmed(months);
    const auto digit = [](char c) { return c >= '0' && c <= '9'; };
    switch (text.size()) {
    case 0:
        return true;
    case 1:
        return digit(text[0]) && text[0] != '0';
    case 2:
        return text[0] == '1' && text[1] >= '0' && text[1] <= '2';
    default:
        return false;
    }
}

PositionCheck checkPosition(const FieldAccess& fields, const RegionalSettings& settings) {
    PositionCheck check;
    check.entries = checkEntries(fields, settings);
    check.monthsRefused = !isMonthsChoice(fields.text(Field::cboMonthsOut));
    return check;
}

std::string monthsRefusal(std::string_view months) {
    return "months must be one of 1 to 12 or empty, not " + quotedText(months);
}

std::string incompleteReason(const FieldAccess& fields) {
    // Results with the same cause are named together: "intDivideIntoCost, pctReturn: ...".
    std::string reason;
    std::string_view lastCause;
    for (const Field result : resultFields) {
        if (!fields.text(result).empty()) {
            continue;
        }
        const std::string_view cause = causeFor(fields, result);
        if (!reason.empty() && cause == lastCause) {
            reason.append(", ").append(fieldName(result));
            continue;
        }
        if (!reason.empty()) {
            reason.append(": ").append(lastCause).append("; ");
        }
        reason.append(fieldName(result));
        lastCause = cause;
    }
    if (!reason.empty()) {
        reason.append(": ").append(lastCause);
    }
    return reason;
}

ExitStatus positionStatus(const PositionCheck& check, std::string_view incomplete) {
    if (!check.passed()) {
        return ExitStatus::refused;
    }
    return incomplete.empty() ? ExitStatus::ok : ExitStatus::incomplete;
}

std::string positionRefusal(const PositionCheck& check, const FieldAccess& fields,
                            FieldSpelling spelling) {
    std::string text;
    if (!check.entries.passed()) {
        text = entryRefusalText(check.entries, spelling, " Fields:");
    }
    if (check.monthsRefused) {
        text.append(text.empty() ? "" : "; ")
            .append(monthsRefusal(fields.text(Field::cboMonthsOut)));
    }
    return text;
}

} // namespace veltrane
