#pragma once

#include "calc/calculation.h"

#include <array>
#include <string>
#include <string_view>

class QComboBox;
class QLineEdit;
class QWidget;

namespace veltrane {

// The calculation's fields on the window: the eleven text boxes and the months list, found by
// their control names. Texts cross in UTF-8.
class ControlFields : public FieldAccess {
public:
    ControlFields() = default;
    // `form` holds the twelve controls as its children.
    explicit ControlFields(const QWidget& form);

    std::string text(Field field) const override;
    void setText(Field field, std::string_view text) override;

    // The text box of a field; nothing for the months list, which is no text box.
    QLineEdit* textBox(Field field) const;
    QComboBox* monthsList() const { return monthsOut_; }

private:
    std::array<QLineEdit*, fieldCount> textBoxes_{};
    QComboBox* monthsOut_ = nullptr;
};

} // namespace veltrane
