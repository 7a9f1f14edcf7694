#include "forms/main/control_fields.h"

#include <QComboBox>
#include <QLineEdit>
#include <QString>
#include <QWidget>
#include <cstddef>

namespace veltrane {

namespace {

constexpr std::size_t slot(Field field) {
    return static_cast<std::size_t>(field);
}

QString controlName(Field field) {
    const std::string_view name = fieldName(field);
    return QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
}

} // namespace

ControlFields::ControlFields(const QWidget& form)
    : monthsOut_{form.findChild<QComboBox*>(controlName(Field::cboMonthsOut))} {
    for (const Field field : textBoxFields) {
        textBoxes_[slot(field)] = form.findChild<QLineEdit*>(controlName(field));
    }
}

std::string ControlFields::text(Field field) const {
    if (field == Field::cboMonthsOut) {
        // The chosen entry's text; empty while nothing is chosen.
        return monthsOut_ != nullptr ? monthsOut_->currentText().toStdString() : std::string{};
    }
    const QLineEdit* box = textBox(field);
    return box != nullptr ? box->text().toStdString() : std::string{};
}

void ControlFields::setText(Field field, std::string_view text) {
    if (QLineEdit* box = textBox(field)) {
        box->setText(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
    }
}

QLineEdit* ControlFields::textBox(Field field) const {
    return textBoxes_[slot(field)];
}

} // namespace veltrane
