// The schedules' calendar, occurrence by occurrence, and what is due up to a day.
#include "schedule/Schedule.h"

#include <gtest/gtest.h>

#include <string_view>

namespace tamblero {
namespace {

DayNumber Day(std::string_view iso) {
    return *ParseIsoDay(iso);
}

ScheduleWhen Every(std::string_view first, Repeat repeat, std::uint32_t every = 1,
                   WeekendRule weekend = WeekendRule::Keep) {
    ScheduleWhen when;
    when.first = Day(first);
    when.repeat = repeat;
    when.every = every;
    when.weekend = weekend;
    return when;
}

ScheduleWhen Ending(ScheduleWhen when, ScheduleEnd end, std::string_view lastDay,
                    std::uint32_t count) {
    when.end = end;
    when.lastDay = lastDay.empty() ? 0 : Day(lastDay);
    when.count = count;
    return when;
}

TEST(ScheduleCalendar, TheKthOccurrenceFallsOnItsDay) {
    // Each row: the k-th occurrence's day, or none, as a user reading the calendar expects.
    struct Row {
        const char* invariant;
        ScheduleWhen when;
        std::uint32_t k;
        const char* day; // empty: none
    };
    const Row rows[] = {
        {"the 31st in February is its last day", Every("2026-01-31", Repeat::Months), 1,
         "2026-02-28"},
        {"a long month after gets the 31st back", Every("2026-01-31", Repeat::Months), 2,
         "2026-03-31"},
        {"the 31st in April is the 30th", Every("2026-01-31", Repeat::Months), 3, "2026-04-30"},
        {"the 31st in a leap February is the 29th", Every("2028-01-31", Repeat::Months), 1,
         "2028-02-29"},
        {"29 February yearly is the 28th in a common year", Every("2028-02-29", Repeat::Years), 1,
         "2029-02-28"},
        {"29 February comes back in the next leap year", Every("2028-02-29", Repeat::Years), 4,
         "2032-02-29"},
        {"the last day of the month from any first day",
         Every("2026-01-10", Repeat::LastDayOfMonth), 0, "2026-01-31"},
        {"the last day of a common February", Every("2026-01-10", Repeat::LastDayOfMonth), 1,
         "2026-02-28"},
        {"the last day of a leap February", Every("2026-01-10", Repeat::LastDayOfMonth), 25,
         "2028-02-29"},
        {"every second week crosses the year", Every("2026-12-07", Repeat::Weeks, 2), 3,
         "2027-01-18"},
        {"every third day", Every("2026-12-30", Repeat::Days, 3), 1, "2027-01-02"},
        {"every second month across the year", Every("2026-11-30", Repeat::Months, 2), 2,
         "2027-03-30"},
        {"a Saturday kept", Every("2026-01-31", Repeat::Months), 0, "2026-01-31"},
        {"a Saturday to the Friday before",
         Every("2026-01-31", Repeat::Months, 1, WeekendRule::FridayBefore), 0, "2026-01-30"},
        {"a Saturday to the Monday after, into the next month",
         Every("2026-01-31", Repeat::Months, 1, WeekendRule::MondayAfter), 0, "2026-02-02"},
        {"a Sunday to the Friday before, into the month before",
         Every("2026-02-01", Repeat::Months, 1, WeekendRule::FridayBefore), 1, "2026-02-27"},
        {"a Sunday to the Monday after",
         Every("2026-05-31", Repeat::Years, 1, WeekendRule::MondayAfter), 0, "2026-06-01"},
        {"a weekday stays whatever the rule",
         Every("2026-03-31", Repeat::Years, 1, WeekendRule::MondayAfter), 0, "2026-03-31"},
        {"an end by count: the last one counted",
         Ending(Every("2026-01-15", Repeat::Months), ScheduleEnd::AfterCount, "", 3), 2,
         "2026-03-15"},
        {"an end by count: none after",
         Ending(Every("2026-01-15", Repeat::Months), ScheduleEnd::AfterCount, "", 3), 3, ""},
        {"an end on a day: that day still counts",
         Ending(Every("2026-01-15", Repeat::Months), ScheduleEnd::OnDay, "2026-03-15", 0), 2,
         "2026-03-15"},
        {"an end on a day: none after",
         Ending(Every("2026-01-15", Repeat::Months), ScheduleEnd::OnDay, "2026-03-15", 0), 3, ""},
        {"none past the last day a file holds", Every("9999-12-31", Repeat::Days), 1, ""},
    };
    for (const Row& row : rows) {
        const std::optional<DayNumber> day = OccurrenceDay(row.when, row.k);
        if (*row.day == '\0') {
            EXPECT_FALSE(day) << row.invariant;
        } else {
            EXPECT_EQ(day, std::optional(Day(row.day))) << row.invariant;
        }
    }
}

TEST(ScheduleCalendar, DueAreTheOccurrencesUpToTheDayNotDealtWith) {
    // Each row: the occurrences due on a day are those on or before it that were neither
    // recorded nor skipped (an undone recording counts as open), in order.
    struct Row {
        const char* invariant;
        ScheduleWhen when;
        std::map<std::uint32_t, OccurrenceState> marks;
        const char* upTo;
        std::vector<std::uint32_t> due;
    };
    const ScheduleWhen monthly = Every("2026-10-01", Repeat::Months);
    const Row rows[] = {
        {"every occurrence up to the day", monthly, {}, "2026-12-10", {0, 1, 2}},
        {"the first day itself is due", monthly, {}, "2026-10-01", {0}},
        {"nothing before the first day", monthly, {}, "2026-09-30", {}},
        {"recorded and skipped ones are not due, undone ones are",
         monthly,
         {{0, OccurrenceState::Recorded},
          {1, OccurrenceState::Open},
          {2, OccurrenceState::Skipped}},
         "2026-12-10",
         {1}},
        {"an end by count stops the due list",
         Ending(monthly, ScheduleEnd::AfterCount, "", 2),
         {},
         "2027-05-01",
         {0, 1}},
        {"a Saturday moved to Monday is not due on Saturday",
         Every("2026-01-31", Repeat::Months, 1, WeekendRule::MondayAfter),
         {},
         "2026-01-31",
         {}},
        {"a Saturday moved to Friday is due on Friday",
         Every("2026-01-31", Repeat::Months, 1, WeekendRule::FridayBefore),
         {},
         "2026-01-30",
         {0}},
    };
    for (const Row& row : rows) {
        Schedule s;
        s.id = 7;
        s.when = row.when;
        for (const auto& [k, state] : row.marks) {
            s.marks[k] = {state, {}};
        }
        std::vector<DueOccurrence> due;
        AppendDue(s, Day(row.upTo), due);
        std::vector<std::uint32_t> ks;
        for (const DueOccurrence& d : due) {
            EXPECT_EQ(d.day, OccurrenceDay(s.when, d.k)) << row.invariant;
            ks.push_back(d.k);
        }
        EXPECT_EQ(ks, row.due) << row.invariant;
    }
}

TEST(ScheduleCalendar, AnOccurrenceHasOneExpenseIdOnEveryDevice) {
    // Two documents that give the schedule's device different slots derive the same expense id
    // for an occurrence, and another occurrence or schedule another one.
    CLedgerIds a;
    CLedgerIds b;
    const DeviceId phone{0x1111};
    const DeviceId laptop{0x2222};
    const ItemId inA = MakeItemId(*a.SlotFor(phone), 5);
    (void)b.SlotFor(laptop);
    const ItemId inB = MakeItemId(*b.SlotFor(phone), 5);
    ASSERT_NE(inA, inB);
    EXPECT_EQ(OccurrenceExpenseId(a, inA, 3), OccurrenceExpenseId(b, inB, 3));
    EXPECT_TRUE(IsDerived(OccurrenceExpenseId(a, inA, 3)));
    EXPECT_NE(OccurrenceExpenseId(a, inA, 3), OccurrenceExpenseId(a, inA, 4));
    EXPECT_NE(OccurrenceExpenseId(a, inA, 3), OccurrenceExpenseId(a, MakeItemId(1, 6), 3));
}

} // namespace
} // namespace tamblero
