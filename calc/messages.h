#pragma once

#include "calc/calculation.h"

#include <string_view>

// Texts the user reads, written once for the window and the command line alike.
namespace veltrane::messages {

// Shown when the Calculate check finds an amount that is not a number. The two double spaces and
// "example,you" are the program's wording, letter for letter.
inline constexpr std::string_view invalidEntryMessage =
    "Veltrane has detected an invalid entry in one of your entry fields.  Please review your "
    "entries and correct as necessary.  For example,you mistakenly entered a letter instead of a "
    "number.";

// The label that names each result field in the window.
constexpr std::string_view resultLabel(Field field) {
    switch (field) {
    case Field::intOptionsRecd:
        return "Received from Options";
    case Field::intTotalAssigned:
        return "Total If Assigned";
    case Field::intTotalReceipts:
        return "Total Receipts";
    case Field::intTotalStockCost:
        return "Total Stock Cost";
    case Field::intNetGain:
        return "Net Gain";
    case Field::intDivideIntoCost:
        return "Divide Into Cost";
    case Field::pctReturn:
        return "Annual % Return";
    default:
        return {};
    }
}

} // namespace veltrane::messages
