#include "calc/calendar_date.h"

#include <cstddef>

namespace veltrane {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && isBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

// The value of `count` digits starting at `first`, or -1 when any of them is not a digit.
int digitsAt(std::string_view text, std::size_t first, std::size_t count) {
    int value = 0;
    for (std::size_t i = first; i < first + count; ++i) {
        const char c = text[i];
        if (c < '0' || c > '9') {
            return -1;
        }
        value = value * 10 + (c - '0');
    }
    return value;
}

} // namespace

ParsedDate parseCalendarDate(std::string_view text) {
    const std::string_view date = trimmed(text);
    constexpr ParsedDate badForm{{}, DateError::NotWrittenYyyyMmDd};
    if (date.size() != 10 || date[4] != '-' || date[7] != '-') {
        return badForm;
    }
    const int year = digitsAt(date, 0, 4);
    const int month = digitsAt(date, 5, 2);
    const int day = digitsAt(date, 8, 2);
    if (year < 0 || month < 0 || day < 0) {
        return badForm;
    }
    const std::chrono::year_month_day ymd{std::chrono::year{year},
                                          std::chrono::month{static_cast<unsigned>(month)},
                                          std::chrono::day{static_cast<unsigned>(day)}};
    if (year < 1 || !ymd.ok()) {
        return {{}, DateError::NotARealDate};
    }
    return {ymd, DateError::None};
}

std::string calendarDateText(std::chrono::year_month_day date) {
    const int year = static_cast<int>(date.year());
    const auto month = static_cast<unsigned>(date.month());
    const auto day = static_cast<unsigned>(date.day());
    std::string out;
    if (year < 0) {
        out += '-';
    }
    const std::string yearDigits = std::to_string(year < 0 ? -year : year);
    out.append(yearDigits.size() < 4 ? 4 - yearDigits.size() : 0, '0');
    out += yearDigits;
    out += month < 10 ? "-0" : "-";
    out += std::to_string(month);
    out += day < 10 ? "-0" : "-";
    out += std::to_string(day);
    return out;
}

std::int64_t daysBetween(std::chrono::year_month_day from, std::chrono::year_month_day to) {
    return (std::chrono::sys_days{to} - std::chrono::sys_days{from}).count();
}

} // namespace veltrane
