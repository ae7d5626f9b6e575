// Day numbers count whole days from 1 January 1601 and round-trip through the calendar.
#include "period/DayNumber.h"

#include <gtest/gtest.h>

namespace tamblero {
namespace {

TEST(DayNumber, KnownDays) {
    EXPECT_EQ(DayNumberFromDate(1601, 1, 1), 0U);
    EXPECT_EQ(DayNumberFromDate(1970, 1, 1), 134774U);
    EXPECT_EQ(DayNumberFromDate(2000, 1, 1), 145731U);
    EXPECT_EQ(DayNumberFromDate(2008, 9, 11), 148907U);
    EXPECT_EQ(DayNumberFromDate(9999, 12, 31), kLastValidDay);
}

TEST(DayNumber, DayZeroIsAMonday) {
    EXPECT_EQ(DateFromDayNumber(0).dayOfWeek, 1);
    EXPECT_EQ(DateFromDayNumber(148907).dayOfWeek, 4); // a Thursday
    EXPECT_EQ(WeekStart(148907), 148904U);
}

TEST(DayNumber, RoundTripsEveryDayOfFourCenturies) {
    for (DayNumber d = 0; d < 146097 * 2; d += 1) {
        const CalendarDate c = DateFromDayNumber(d);
        ASSERT_EQ(DayNumberFromDate(c.year, c.month, c.day), d) << c.year << "-" << c.month;
    }
}

TEST(DayNumber, MonthAndYearBounds) {
    const DayNumber leapDay = DayNumberFromDate(2008, 2, 29);
    EXPECT_EQ(MonthStart(leapDay), DayNumberFromDate(2008, 2, 1));
    EXPECT_EQ(MonthEnd(leapDay), leapDay);
    EXPECT_EQ(MonthEnd(DayNumberFromDate(2008, 12, 5)), DayNumberFromDate(2008, 12, 31));
    EXPECT_EQ(YearStart(leapDay), DayNumberFromDate(2008, 1, 1));
    EXPECT_EQ(YearEnd(leapDay), DayNumberFromDate(2008, 12, 31));
}

} // namespace
} // namespace tamblero
