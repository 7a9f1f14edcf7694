#pragma once

#include "calc/regional_settings.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace veltrane {

enum class DateError { None, UnknownForm, NotARealDate };

struct ParsedDate {
    std::chrono::year_month_day date{};
    DateError error = DateError::None;

    bool ok() const { return error == DateError::None; }
};

// Reads a date written YYYY-MM-DD (blanks around it allowed): four digits for a year from 1,
// two for the month, two for the day, and a date the Gregorian calendar has.
ParsedDate parseCalendarDate(std::string_view text);

// Reads a date typed as text: YYYY-MM-DD as parseCalendarDate does, or the settings' own form
// in figures (dateOrder, dateSeparator): "3/19/2027" or "3/19/27" under en_US, "19.03.2027" or
// "19.3.27" under de_DE. Leading zeros of the day and month may be left out; the year has four
// digits or two (00 to 99 is 2000 to 2099); the ending, where the form has one, may be left out.
// Any other form is UnknownForm, never guessed at.
ParsedDate readDate(std::string_view text, const RegionalSettings& settings);

// The forms readDate takes, each shown by one date: "2027-03-19, 3/19/2027 or 3/19/27".
std::string acceptedDateForms(const RegionalSettings& settings);

// The date written YYYY-MM-DD, as parseCalendarDate reads it.
std::string calendarDateText(std::chrono::year_month_day date);

// A date as the user's short date pattern shows it ("M/d/yy", "dd.MM.yy", "yyyy-MM-dd"): the
// day, month and year in the pattern's order, parted by any one separator or more ("3/18/27",
// "03/18/2027", "18.03.27"), or as digits alone, two for each part and two or four for the year
// ("031827", "03182027"). A two-digit year is in this century. Nothing for anything else or a
// date the calendar does not have.
std::optional<std::chrono::year_month_day> readShownDate(std::string_view text,
                                                         std::string_view pattern);

// The date written by the pattern's d, dd, M, MM, yy and yyyy; its other characters as they are,
// a quoted text without its quotes.
std::string shownDateText(std::chrono::year_month_day date, std::string_view pattern);

// Calendar days from `from` to `to`: negative when `to` comes first.
std::int64_t daysBetween(std::chrono::year_month_day from, std::chrono::year_month_day to);

} // namespace veltrane
