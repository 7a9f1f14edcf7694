#include "calc/calendar_date.h"

#include "calc/typed_text.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <vector>

namespace veltrane {

namespace {

using typed::isDigit;
using typed::trimmed;

// The value of `count` digits starting at `first`, or -1 when any of them is not a digit.
// The date of these numbers, or why there is none: a year before 1 or a day the month lacks.
ParsedDate dateOf(int year, int month, int day) {
    const std::chrono::year_month_day ymd{std::chrono::year{year},
                                          std::chrono::month{static_cast<unsigned>(month)},
                                          std::chrono::day{static_cast<unsigned>(day)}};
    if (year < 1 || !ymd.ok()) {
        return {{}, DateError::NotARealDate};
    }
    return {ymd, DateError::None};
}

int digitsAt(std::string_view text, std::size_t first, std::size_t count) {
    int value = 0;
    for (std::size_t i = first; i < first + count; ++i) {
        const char c = text[i];
        if (!isDigit(c)) {
            return -1;
        }
        value = value * 10 + (c - '0');
    }
    return value;
}

bool isLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

enum class Part { day, month, year };

// The order of day, month and year in a date pattern; month, day, year where it names none.
std::array<Part, 3> partOrder(std::string_view pattern) {
    std::array<Part, 3> order{Part::month, Part::day, Part::year};
    std::size_t found = 0;
    bool quoted = false;
    for (const char c : pattern) {
        if (c == '\'') {
            quoted = !quoted;
            continue;
        }
        const Part part = c == 'd' ? Part::day : c == 'M' ? Part::month : Part::year;
        if (quoted || (c != 'd' && c != 'M' && c != 'y') ||
            std::find(order.begin(), order.begin() + static_cast<std::ptrdiff_t>(found), part) !=
                order.begin() + static_cast<std::ptrdiff_t>(found)) {
            continue;
        }
        if (found < order.size()) {
            order[found++] = part;
        }
    }
    return found == order.size() ? order : std::array<Part, 3>{Part::month, Part::day, Part::year};
}

// The runs of digits in a date as typed; nothing where a letter stands in it or it starts or
// ends with a separator.
std::optional<std::vector<std::string_view>> digitRuns(std::string_view shown) {
    std::vector<std::string_view> runs;
    if (shown.empty() || !isDigit(shown.front()) || !isDigit(shown.back())) {
        return std::nullopt;
    }
    for (std::size_t i = 0; i < shown.size();) {
        if (isLetter(shown[i])) {
            return std::nullopt;
        }
        const std::size_t first = i;
        while (i < shown.size() && isDigit(shown[i])) {
            ++i;
        }
        if (i > first) {
            runs.push_back(shown.substr(first, i - first));
        } else {
            ++i;
        }
    }
    return runs;
}

// The value of a part of a date in figures: all digits, as many as `shortest` to `longest`;
// -1 for anything else.
int partValue(std::string_view part, std::size_t shortest, std::size_t longest) {
    if (part.size() < shortest || part.size() > longest) {
        return -1;
    }
    return digitsAt(part, 0, part.size());
}

// Day, month and year in the order a date in figures writes them.
std::array<Part, 3> orderOf(DateOrder order) {
    switch (order) {
    case DateOrder::dayMonthYear:
        return {Part::day, Part::month, Part::year};
    case DateOrder::yearMonthDay:
        return {Part::year, Part::month, Part::day};
    case DateOrder::monthDayYear:
    case DateOrder::isoOnly:
        break;
    }
    return {Part::month, Part::day, Part::year};
}

// A date in the settings' own form in figures, `date` trimmed already.
ParsedDate readFiguresDate(std::string_view date, const RegionalSettings& settings) {
    constexpr ParsedDate badForm{{}, DateError::UnknownForm};
    const std::string_view ending = settings.dateEnding;
    if (!ending.empty() && date.ends_with(ending)) {
        date.remove_suffix(ending.size());
    }
    const std::string_view separator = settings.dateSeparator;
    if (separator.empty()) {
        return badForm;
    }
    std::array<std::string_view, 3> parts{};
    for (std::size_t i = 0; i < parts.size(); ++i) {
        const std::size_t end = i + 1 < parts.size() ? date.find(separator) : date.size();
        if (end == std::string_view::npos) {
            return badForm;
        }
        parts[i] = date.substr(0, end);
        date.remove_prefix(std::min(date.size(), end + separator.size()));
    }
    int day = -1;
    int month = -1;
    int year = -1;
    const std::array<Part, 3> order = orderOf(settings.dateOrder);
    for (std::size_t i = 0; i < order.size(); ++i) {
        if (order[i] == Part::day) {
            day = partValue(parts[i], 1, 2);
        } else if (order[i] == Part::month) {
            month = partValue(parts[i], 1, 2);
        } else if (parts[i].size() == 2) {
            const int shortYear = partValue(parts[i], 2, 2);
            year = shortYear < 0 ? -1 : 2000 + shortYear;
        } else {
            year = partValue(parts[i], 4, 4);
        }
    }
    if (day < 0 || month < 0 || year < 0) {
        return badForm;
    }
    return dateOf(year, month, day);
}

// Digits typed alone: two for the day and the month, two or four for the year, in `order`.
std::vector<std::string_view> spreadDigits(std::string_view digits,
                                           const std::array<Part, 3>& order) {
    std::vector<std::string_view> runs;
    std::size_t at = 0;
    for (const Part part : order) {
        const std::size_t length = part == Part::year ? digits.size() - 4 : 2;
        runs.push_back(digits.substr(at, length));
        at += length;
    }
    return runs;
}

// The example date, 2027-03-19, in the settings' own form, with a year of four digits or two.
std::string exampleInFigures(const RegionalSettings& settings, bool longYear) {
    std::string form;
    for (const Part part : orderOf(settings.dateOrder)) {
        form.append(form.empty() ? "" : settings.dateSeparator);
        if (part == Part::day) {
            form.append("19");
        } else if (part == Part::month) {
            form.append(settings.datePadded ? "03" : "3");
        } else {
            form.append(longYear ? "2027" : "27");
        }
    }
    return form.append(settings.dateEnding);
}

} // namespace

std::optional<std::chrono::year_month_day> readShownDate(std::string_view text,
                                                         std::string_view pattern) {
    const std::optional<std::vector<std::string_view>> typed = digitRuns(trimmed(text));
    if (!typed) {
        return std::nullopt;
    }
    const std::array<Part, 3> order = partOrder(pattern);
    std::vector<std::string_view> runs = *typed;
    if (runs.size() == 1 && (runs[0].size() == 6 || runs[0].size() == 8)) {
        runs = spreadDigits(runs[0], order);
    }
    if (runs.size() != 3) {
        return std::nullopt;
    }
    int day = 0;
    int month = 0;
    int year = 0;
    for (std::size_t i = 0; i < order.size(); ++i) {
        const std::string_view run = runs[i];
        const bool fits =
            order[i] == Part::year ? run.size() == 2 || run.size() == 4 : run.size() <= 2;
        if (!fits) {
            return std::nullopt;
        }
        const int value = digitsAt(run, 0, run.size());
        switch (order[i]) {
        case Part::day:
            day = value;
            break;
        case Part::month:
            month = value;
            break;
        case Part::year:
            year = run.size() == 2 ? 2000 + value : value;
            break;
        }
    }
    const std::chrono::year_month_day date{std::chrono::year{year},
                                           std::chrono::month{static_cast<unsigned>(month)},
                                           std::chrono::day{static_cast<unsigned>(day)}};
    if (year < 1 || !date.ok()) {
        return std::nullopt;
    }
    return date;
}

std::string shownDateText(std::chrono::year_month_day date, std::string_view pattern) {
    const auto year = static_cast<int>(date.year());
    const auto month = static_cast<unsigned>(date.month());
    const auto day = static_cast<unsigned>(date.day());
    const auto padded = [](unsigned value, std::size_t width) {
        std::string digits = std::to_string(value);
        return std::string(digits.size() < width ? width - digits.size() : 0, '0') + digits;
    };
    std::string out;
    bool quoted = false;
    for (std::size_t i = 0; i < pattern.size();) {
        const char c = pattern[i];
        std::size_t count = 1;
        while (i + count < pattern.size() && pattern[i + count] == c) {
            ++count;
        }
        if (c == '\'') {
            quoted = !quoted;
            ++i;
            continue;
        }
        if (quoted || (c != 'd' && c != 'M' && c != 'y')) {
            out += c;
            ++i;
            continue;
        }
        // A weekday's or month's name ("ddd", "MMM") is no short date's: the weekday is left
        // out, the month written in two digits.
        if (c == 'd' && count <= 2) {
            out += padded(day, count);
        } else if (c == 'M') {
            out += padded(month, std::min<std::size_t>(count, 2));
        } else if (c == 'y') {
            const auto positive = static_cast<unsigned>(year < 0 ? -year : year);
            out += count == 2 ? padded(positive % 100, 2) : padded(positive, 4);
        }
        i += count;
    }
    return out;
}

ParsedDate parseCalendarDate(std::string_view text) {
    const std::string_view date = trimmed(text);
    constexpr ParsedDate badForm{{}, DateError::UnknownForm};
    if (date.size() != 10 || date[4] != '-' || date[7] != '-') {
        return badForm;
    }
    const int year = digitsAt(date, 0, 4);
    const int month = digitsAt(date, 5, 2);
    const int day = digitsAt(date, 8, 2);
    if (year < 0 || month < 0 || day < 0) {
        return badForm;
    }
    return dateOf(year, month, day);
}

ParsedDate readDate(std::string_view text, const RegionalSettings& settings) {
    const ParsedDate iso = parseCalendarDate(text);
    if (iso.error != DateError::UnknownForm || settings.dateOrder == DateOrder::isoOnly) {
        return iso;
    }
    return readFiguresDate(trimmed(text), settings);
}

std::string acceptedDateForms(const RegionalSettings& settings) {
    const std::chrono::year_month_day example{std::chrono::year{2027}, std::chrono::March,
                                              std::chrono::day{19}};
    std::vector<std::string> forms{calendarDateText(example)};
    if (settings.dateOrder != DateOrder::isoOnly) {
        for (const bool longYear : {true, false}) {
            std::string form = exampleInFigures(settings, longYear);
            if (std::find(forms.begin(), forms.end(), form) == forms.end()) {
                forms.push_back(std::move(form));
            }
        }
    }
    std::string text;
    for (std::size_t i = 0; i < forms.size(); ++i) {
        text.append(i == 0 ? "" : i + 1 == forms.size() ? " or " : ", ").append(forms[i]);
    }
    return text;
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
