#include "forms/analysis/date_field.h"

#include "calc/calendar_date.h"

#include <QAction>
#include <QCalendarWidget>
#include <QKeyEvent>
#include <QStyle>
#include <chrono>
#include <optional>

namespace veltrane {

namespace {

std::chrono::year_month_day toCalendar(QDate date) {
    return std::chrono::year_month_day{std::chrono::year{date.year()},
                                       std::chrono::month{static_cast<unsigned>(date.month())},
                                       std::chrono::day{static_cast<unsigned>(date.day())}};
}

QDate fromCalendar(std::chrono::year_month_day date) {
    return {static_cast<int>(date.year()), static_cast<int>(static_cast<unsigned>(date.month())),
            static_cast<int>(static_cast<unsigned>(date.day()))};
}

} // namespace

DateField::DateField(QWidget* parent)
    : QLineEdit(parent) {
    QAction* calendar =
        addAction(style()->standardIcon(QStyle::SP_ArrowDown), QLineEdit::TrailingPosition);
    calendar->setToolTip(QStringLiteral("Choose from a calendar (Alt+Down)"));
    connect(calendar, &QAction::triggered, this, &DateField::showCalendar);
    connect(this, &QLineEdit::textEdited, this, &DateField::readTyped);
    connect(this, &QLineEdit::editingFinished, this, &DateField::finishTyping);
}

void DateField::setPattern(std::string pattern) {
    pattern_ = std::move(pattern);
    if (date_.isValid()) {
        setText(shownText(date_));
    }
}

QString DateField::shownText(QDate date) const {
    return QString::fromStdString(shownDateText(toCalendar(date), pattern_));
}

void DateField::setDate(QDate date) {
    setText(shownText(date));
    setRefused({});
    take(date);
}

void DateField::take(QDate date) {
    if (date != date_) {
        date_ = date;
        emit dateChanged(date_);
    }
}

void DateField::setRefused(const QString& text) {
    if (text != refused_) {
        refused_ = text;
        emit refusalChanged();
    }
}

// A whole date is taken at once, so the figures follow the typing; a part of one waits.
void DateField::readTyped() {
    if (const auto read = readShownDate(text().toStdString(), pattern_)) {
        setRefused({});
        take(fromCalendar(*read));
    }
}

// Leaving the field: a date it can read is shown in the settings' form; anything else is
// refused and the date it had is shown again.
void DateField::finishTyping() {
    const QString typed = text();
    if (const auto read = readShownDate(typed.toStdString(), pattern_)) {
        setDate(fromCalendar(*read));
        return;
    }
    if (date_.isValid()) {
        setText(shownText(date_));
    }
    // An emptied field just shows its date again.
    setRefused(typed.trimmed().isEmpty() ? QString() : typed);
}

void DateField::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Down && event->modifiers() == Qt::AltModifier) {
        showCalendar();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void DateField::showCalendar() {
    auto* calendar = new QCalendarWidget(this);
    calendar->setWindowFlags(Qt::Popup);
    calendar->setAttribute(Qt::WA_DeleteOnClose);
    calendar->setObjectName(QStringLiteral("calendar"));
    if (date_.isValid()) {
        calendar->setSelectedDate(date_);
    }
    connect(calendar, &QCalendarWidget::activated, this, [this, calendar](QDate picked) {
        setDate(picked);
        calendar->close();
    });
    connect(calendar, &QCalendarWidget::clicked, this, [this, calendar](QDate picked) {
        setDate(picked);
        calendar->close();
    });
    calendar->move(mapToGlobal(QPoint(0, height())));
    calendar->show();
    calendar->setFocus(Qt::PopupFocusReason);
}

} // namespace veltrane
