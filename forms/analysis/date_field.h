#pragma once

#include <QDate>
#include <QLineEdit>
#include <string>

namespace veltrane {

// A date typed as the user's settings show it ("3/18/27", "03/18/2027", "031827" under US
// English; "18.03.27" under German), or picked from a calendar (Alt+Down, or the button at its
// end). A text that makes a whole date is taken as it is typed; one that cannot be read when the
// user leaves the field or presses Enter keeps the date it had, and the field says what it
// refused until a date is read again.
class DateField : public QLineEdit {
    Q_OBJECT

public:
    explicit DateField(QWidget* parent = nullptr);

    // The short date pattern of the user's settings ("M/d/yy"); the date is shown again in it.
    void setPattern(std::string pattern);
    const std::string& pattern() const { return pattern_; }

    QDate date() const { return date_; }
    void setDate(QDate date);
    // The text last refused, or empty.
    QString refusedText() const { return refused_; }
    // The date shown as the pattern writes it.
    QString shownText(QDate date) const;

signals:
    void dateChanged(QDate date);
    // A text was refused, or a refusal ended.
    void refusalChanged();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void readTyped();
    void finishTyping();
    void showCalendar();
    void take(QDate date);
    void setRefused(const QString& text);

    QDate date_;
    std::string pattern_ = "M/d/yy";
    QString refused_;
};

} // namespace veltrane
