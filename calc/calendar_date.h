#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

namespace veltrane {

enum class DateError { None, NotWrittenYyyyMmDd, NotARealDate };

struct ParsedDate {
    std::chrono::year_month_day date{};
    DateError error = DateError::None;

    bool ok() const { return error == DateError::None; }
};

// Reads a date written YYYY-MM-DD (blanks around it allowed): four digits for a year from 1,
// two for the month, two for the day, and a date the Gregorian calendar has.
ParsedDate parseCalendarDate(std::string_view text);

// The date written YYYY-MM-DD, as parseCalendarDate reads it.
std::string calendarDateText(std::chrono::year_month_day date);

// Calendar days from `from` to `to`: negative when `to` comes first.
std::int64_t daysBetween(std::chrono::year_month_day from, std::chrono::year_month_day to);

} // namespace veltrane
