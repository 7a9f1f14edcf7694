#pragma once

#include "calc/regional_settings.h"

#include <array>
#include <string>
#include <string_view>

namespace veltrane {

// The twelve fields the calculation reads and writes, named as the window's controls are.
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

inline constexpr std::array<Field, 5> inputFields{Field::intOptionPrice, Field::intStrikePrice,
                                                  Field::intCurrentPrice, Field::intNoShares,
                                                  Field::cboMonthsOut};

// In the order the calculation writes them.
inline constexpr std::array<Field, 7> resultFields{
    Field::intOptionsRecd,    Field::intTotalAssigned, Field::intTotalReceipts,
    Field::intTotalStockCost, Field::intNetGain,       Field::intDivideIntoCost,
    Field::pctReturn};

// The control name, letter for letter ("intOptionPrice").
std::string_view fieldName(Field field);

// Where the calculation finds its inputs and leaves its results: the window's controls, or a
// plain map for the command line and the tests.
class FieldAccess {
public:
    virtual ~FieldAccess() = default;
    virtual std::string text(Field field) const = 0;
    virtual void setText(Field field, std::string_view text) = 0;

protected:
    FieldAccess() = default;
    FieldAccess(const FieldAccess&) = default;
    FieldAccess& operator=(const FieldAccess&) = default;
};

// Turns the five input texts into the seven result texts. Each input is read once; a step that
// fails is skipped and the next one runs, so nothing ever escapes.
void CalculateIt(FieldAccess& fields, const RegionalSettings& settings);

} // namespace veltrane
