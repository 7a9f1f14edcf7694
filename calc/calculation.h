#pragma once

#include "calc/fields.h"
#include "calc/regional_settings.h"

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

// Turns the five input texts into the seven result texts. Each input is read once; a step that
// fails is skipped and the next one runs, so nothing ever escapes.
void CalculateIt(FieldAccess& fields, const RegionalSettings& settings);

} // namespace veltrane
