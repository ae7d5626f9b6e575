// Scheduled expenses: the rent, the subscriptions, the phone bill, each recorded on its days
// without being typed again. A schedule names what to record (an article, an amount, an
// optional account and a note) and when (the first day, a repeat, an optional end, a rule
// for weekends); its calendar gives the k-th occurrence's day. Each schedule keeps, per
// occurrence it has dealt with, whether it was recorded or skipped, stamped, so that copies
// on two devices merge; the expense an occurrence records has an id both devices derive alike
// from the schedule and k, so that two devices that both recorded it hold one expense after
// a merge.
#pragma once

#include "model/Identity.h"
#include "model/Money.h"
#include "period/DayNumber.h"

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tamblero {

enum class Repeat : std::uint8_t { Days, Weeks, Months, Years, LastDayOfMonth };
// Where an occurrence that falls on a Saturday or Sunday goes.
enum class WeekendRule : std::uint8_t { Keep, FridayBefore, MondayAfter };
// Recorded by itself when due, or offered to the user first.
enum class ScheduleMode : std::uint8_t { Remind, Record };
enum class ScheduleEnd : std::uint8_t { Never, OnDay, AfterCount };

inline constexpr std::uint32_t kMaxEvery = 999;
inline constexpr std::uint32_t kMaxOccurrences = 100000;

// What an occurrence records.
struct ScheduleWhat {
    ItemId article = kNoId;
    Amount amount = 0;
    ItemId account = kNoId; // none: paid from no account
    std::u16string note;
    bool operator==(const ScheduleWhat&) const = default;
};
// Of two values of equal stamps a merge keeps the larger (plain comparisons: moc reads the
// window's headers and cannot parse <compare>).
[[nodiscard]] bool operator<(const ScheduleWhat& a, const ScheduleWhat& b);

// When its occurrences fall.
struct ScheduleWhen {
    DayNumber first = 0;
    Repeat repeat = Repeat::Months;
    std::uint32_t every = 1; // every N days, weeks, months or years; months for the last day
    WeekendRule weekend = WeekendRule::Keep;
    ScheduleEnd end = ScheduleEnd::Never;
    DayNumber lastDay = 0;   // OnDay: no occurrence whose own day is later
    std::uint32_t count = 0; // AfterCount: the occurrences there are
    bool operator==(const ScheduleWhen&) const = default;
};
[[nodiscard]] bool operator<(const ScheduleWhen& a, const ScheduleWhen& b);

// What became of an occurrence. Open: its recording was undone, so it is due again.
enum class OccurrenceState : std::uint8_t { Open, Recorded, Skipped };
struct OccurrenceMark {
    OccurrenceState state = OccurrenceState::Open;
    CStamp stamp;
    bool operator==(const OccurrenceMark&) const = default;
};

// A schedule's marks by occurrence number, in one vector sorted by it: they are read all at
// once at start-up, a thousand schedules' tens of thousands, and marked one at a time after,
// mostly past the last.
class COccurrenceMarks final {
public:
    using value_type = std::pair<std::uint32_t, OccurrenceMark>;
    using iterator = std::vector<value_type>::iterator;
    using const_iterator = std::vector<value_type>::const_iterator;

    COccurrenceMarks() = default;
    // Any order; of one number twice the last.
    COccurrenceMarks(std::initializer_list<value_type> marks);

    // The mark of k, an open one made where there is none.
    OccurrenceMark& operator[](std::uint32_t k);
    // Puts the mark where k has none: the place of k's, and whether it is the one put.
    std::pair<iterator, bool> try_emplace(std::uint32_t k, const OccurrenceMark& mark) {
        // Past the last, as a reader and the recording of the next occurrence give them.
        if (m_marks.empty() || m_marks.back().first < k) {
            m_marks.emplace_back(k, mark);
            return {m_marks.end() - 1, true};
        }
        return Place(k, mark);
    }
    [[nodiscard]] iterator find(std::uint32_t k);
    [[nodiscard]] const_iterator find(std::uint32_t k) const;

    [[nodiscard]] const_iterator begin() const { return m_marks.begin(); }
    [[nodiscard]] const_iterator end() const { return m_marks.end(); }
    [[nodiscard]] std::size_t size() const { return m_marks.size(); }
    [[nodiscard]] bool empty() const { return m_marks.empty(); }
    void clear() { m_marks.clear(); }
    void reserve(std::size_t n) { m_marks.reserve(n); }
    bool operator==(const COccurrenceMarks&) const = default;

private:
    std::pair<iterator, bool> Place(std::uint32_t k, const OccurrenceMark& mark);

    std::vector<value_type> m_marks;
};

struct Schedule {
    ItemId id = kNoId;
    ScheduleWhat what;
    ScheduleWhen when;
    ScheduleMode mode = ScheduleMode::Remind;
    CStamp whatStamp;
    CStamp whenStamp;
    CStamp modeStamp;
    // By occurrence number.
    COccurrenceMarks marks;
    bool operator==(const Schedule&) const = default;

    // The latest change of its terms: a deletion before it does not hold.
    [[nodiscard]] CStamp Latest() const;
};

// A deleted schedule's last values, kept for good like every deletion record.
struct GoneSchedule {
    Schedule last;
    CStamp stamp;
    bool operator==(const GoneSchedule&) const = default;
};

// The k-th occurrence's own day (k from 0), before the weekend rule: a month without the day
// gives its last day (the 31st in April is the 30th, 29 February in a common year the 28th).
// None past the end, the count or the last valid day.
[[nodiscard]] std::optional<DayNumber> NominalDay(const ScheduleWhen& when, std::uint32_t k);
// The day it is recorded on: the nominal day moved by the weekend rule.
[[nodiscard]] std::optional<DayNumber> OccurrenceDay(const ScheduleWhen& when, std::uint32_t k);
// Saturday and Sunday moved as the rule says.
[[nodiscard]] DayNumber MoveOffWeekend(DayNumber day, WeekendRule rule);

struct DueOccurrence {
    ItemId schedule = kNoId;
    std::uint32_t k = 0;
    DayNumber day = 0;
    bool operator==(const DueOccurrence&) const = default;
};

// The occurrences on or before the day that were neither recorded nor skipped, in order; at
// most kMostDue of them, the rest due after those are dealt with.
inline constexpr std::size_t kMostDue = 1000;
void AppendDue(const Schedule& schedule, DayNumber upTo, std::vector<DueOccurrence>& out);

// The id of the expense that records the occurrence: derived alike on every device from the
// schedule's lasting id (its device, not the slot this document gives it) and k.
[[nodiscard]] ItemId OccurrenceExpenseId(const CLedgerIds& ids, ItemId schedule, std::uint32_t k);

// A document's schedules, in id order, and the deleted ones' records.
class CScheduleBook final {
public:
    CScheduleBook() = default;
    // Of these schedules, each id once, in any order.
    CScheduleBook(std::vector<Schedule> items, std::vector<GoneSchedule> gone);

    [[nodiscard]] const std::vector<Schedule>& Items() const { return m_items; }
    [[nodiscard]] const std::vector<GoneSchedule>& Gone() const { return m_gone; }
    [[nodiscard]] std::vector<GoneSchedule>& Gone() { return m_gone; }
    [[nodiscard]] const Schedule* Find(ItemId id) const;
    [[nodiscard]] Schedule* Find(ItemId id);
    // Put in its place by id; replaces one of the same id.
    void Put(Schedule schedule);
    // Takes it out; none where there is no such schedule.
    std::optional<Schedule> Take(ItemId id);
    void Bury(Schedule last, CStamp stamp);
    void Unbury(ItemId id);

    // Every due occurrence of every schedule, by day, then schedule, then k.
    [[nodiscard]] std::vector<DueOccurrence> Due(DayNumber upTo) const;

    [[nodiscard]] bool empty() const { return m_items.empty() && m_gone.empty(); }
    bool operator==(const CScheduleBook&) const = default;

private:
    std::vector<Schedule> m_items;
    std::vector<GoneSchedule> m_gone;
};

} // namespace tamblero
