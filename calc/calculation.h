#pragma once

#include "calc/fields.h"
#include "calc/number_text.h"
#include "calc/regional_settings.h"

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace veltrane {

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
    FieldAccess(FieldAccess&&) = default;
    FieldAccess& operator=(FieldAccess&&) = default;
};

class MoneyLayout;

// Turns the five input texts into the seven result texts. Each input is read once; a step that
// fails is skipped and the next one runs, so nothing ever escapes.
void CalculateIt(FieldAccess& fields, const RegionalSettings& settings);

// The five inputs read as numbers, in the order of inputFields: read once, they serve both the
// Calculate check and the calculation. Reading has no effect anyone sees, so a calculation from
// these writes what CalculateIt writes from the texts they were read from.
struct ReadInputs {
    std::array<ParsedNumber, inputFields.size()> numbers{};

    const ParsedNumber& operator[](Field field) const {
        return numbers[static_cast<std::size_t>(field)];
    }
};

constexpr bool inputsComeFirst() {
    for (std::size_t i = 0; i < inputFields.size(); ++i) {
        if (static_cast<std::size_t>(inputFields[i]) != i) {
            return false;
        }
    }
    return true;
}
static_assert(inputsComeFirst(), "ReadInputs holds input i at place i");

ReadInputs readInputs(const FieldAccess& fields, const RegionalSettings& settings);

// CalculateIt on inputs already read, writing the seven results into `results`, with the money
// layout of `settings` prepared once by the caller (a batch keeps one for all its rows). A layout
// made from other settings is not used.
void CalculateIt(const ReadInputs& inputs, FieldAccess& results, const RegionalSettings& settings,
                 const MoneyLayout& money);

} // namespace veltrane
