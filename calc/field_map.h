#pragma once

#include "calc/calculation.h"

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace veltrane {

// The fields as plain texts: the calculation's home outside the window.
class FieldMap : public FieldAccess {
public:
    std::string text(Field field) const override { return texts_[index(field)]; }
    void setText(Field field, std::string_view text) override { texts_[index(field)] = text; }
    // The text where it stands, valid until the field is next set: no copy for a reader in a loop.
    std::string_view view(Field field) const { return texts_[index(field)]; }

private:
    static constexpr std::size_t index(Field field) { return static_cast<std::size_t>(field); }

    std::array<std::string, fieldCount> texts_;
};

} // namespace veltrane
