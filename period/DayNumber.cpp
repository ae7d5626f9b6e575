#include "period/DayNumber.h"

namespace tamblero {

namespace {

// Days from 1 January 1601 with the civil-from-days arithmetic of the
// proleptic Gregorian calendar (eras of 400 years).
constexpr std::int64_t kEpochShift = 584694; // days from 0000-03-01 to 1601-01-01

std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2 ? 1 : 0;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe);
}

} // namespace

DayNumber DayNumberFromDate(int year, int month, int day) {
    return static_cast<DayNumber>(
        DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) -
        kEpochShift);
}

CalendarDate DateFromDayNumber(DayNumber day) {
    const std::int64_t z = static_cast<std::int64_t>(day) + kEpochShift;
    const std::int64_t era = z / 146097; // z is never negative here
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned d = doy - (153 * mp + 2) / 5 + 1;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    const std::int64_t y = static_cast<std::int64_t>(yoe) + era * 400 + (m <= 2 ? 1 : 0);
    CalendarDate date;
    date.year = static_cast<int>(y);
    date.month = static_cast<int>(m);
    date.day = static_cast<int>(d);
    date.dayOfWeek = static_cast<int>((day + 1) % 7); // day 0 is a Monday
    return date;
}

std::optional<DayNumber> ParseIsoDay(std::string_view text) {
    if (text.size() != 10 || text[4] != '-' || text[7] != '-') {
        return std::nullopt;
    }
    int fields[3] = {0, 0, 0};
    const std::size_t starts[3] = {0, 5, 8};
    const std::size_t lengths[3] = {4, 2, 2};
    for (int f = 0; f < 3; ++f) {
        for (std::size_t i = starts[f]; i < starts[f] + lengths[f]; ++i) {
            if (text[i] < '0' || text[i] > '9') {
                return std::nullopt;
            }
            fields[f] = fields[f] * 10 + (text[i] - '0');
        }
    }
    const int year = fields[0];
    const int month = fields[1];
    const int day = fields[2];
    if (year < 1601 || month < 1 || month > 12 || day < 1) {
        return std::nullopt;
    }
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    if (day > kDays[month - 1] + (month == 2 && leap ? 1 : 0)) {
        return std::nullopt;
    }
    return DayNumberFromDate(year, month, day);
}

DayNumber WeekStart(DayNumber day) {
    return day - day % 7;
}

DayNumber MonthStart(DayNumber day) {
    const CalendarDate d = DateFromDayNumber(day);
    return DayNumberFromDate(d.year, d.month, 1);
}

DayNumber MonthEnd(DayNumber day) {
    const CalendarDate d = DateFromDayNumber(day);
    const int year = d.month == 12 ? d.year + 1 : d.year;
    const int month = d.month == 12 ? 1 : d.month + 1;
    return DayNumberFromDate(year, month, 1) - 1;
}

DayNumber YearStart(DayNumber day) {
    return DayNumberFromDate(DateFromDayNumber(day).year, 1, 1);
}

DayNumber YearEnd(DayNumber day) {
    return DayNumberFromDate(DateFromDayNumber(day).year, 12, 31);
}

DayNumber Today(const IPlatform& platform) {
    return DayNumberFromDate(platform.Today());
}

} // namespace tamblero
