// Whole days counted from 1 January 1601 (day 0, a Monday). Every date the
// program stores or compares is one of these.
#pragma once

#include "app/platform/Platform.h"

#include <cstdint>
#include <optional>
#include <string_view>

namespace tamblero {

using DayNumber = std::uint32_t;

// 31 December 9999: the last day a data file may name.
inline constexpr DayNumber kLastValidDay = 3067670;

[[nodiscard]] DayNumber DayNumberFromDate(int year, int month, int day);
[[nodiscard]] inline DayNumber DayNumberFromDate(const CalendarDate& d) {
    return DayNumberFromDate(d.year, d.month, d.day);
}
[[nodiscard]] CalendarDate DateFromDayNumber(DayNumber day);

// A real calendar day written "YYYY-MM-DD" from 1601 to 9999, or nothing.
[[nodiscard]] std::optional<DayNumber> ParseIsoDay(std::string_view text);

[[nodiscard]] DayNumber WeekStart(DayNumber day);
[[nodiscard]] DayNumber MonthStart(DayNumber day);
[[nodiscard]] DayNumber MonthEnd(DayNumber day);
[[nodiscard]] DayNumber YearStart(DayNumber day);
[[nodiscard]] DayNumber YearEnd(DayNumber day);

// Today's number from the platform's local date.
[[nodiscard]] DayNumber Today(const IPlatform& platform);

} // namespace tamblero
