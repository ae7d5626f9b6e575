#include "schedule/Schedule.h"

#include <algorithm>
#include <tuple>
#include <utility>

namespace tamblero {

namespace {

constexpr std::int64_t kMonthsPerYear = 12;
constexpr DayNumber kDaysPerWeek = 7;
enum : DayNumber { kSaturday = 5, kSunday = 6 }; // day 0 is a Monday

// The day of that month's number (year * 12 + month - 1), the day held at the month's last.
std::optional<DayNumber> DayOfMonth(std::int64_t monthIndex, int day) {
    const std::int64_t year = monthIndex / kMonthsPerYear;
    const int month = static_cast<int>(monthIndex % kMonthsPerYear) + 1;
    if (year > 9999) {
        return std::nullopt;
    }
    const DayNumber start = DayNumberFromDate(static_cast<int>(year), month, 1);
    const DayNumber last = MonthEnd(start);
    return std::min<DayNumber>(start + static_cast<DayNumber>(day) - 1, last);
}

} // namespace

bool operator<(const ScheduleWhat& a, const ScheduleWhat& b) {
    return std::tie(a.article, a.amount, a.account, a.note) <
           std::tie(b.article, b.amount, b.account, b.note);
}

bool operator<(const ScheduleWhen& a, const ScheduleWhen& b) {
    return std::tie(a.first, a.repeat, a.every, a.weekend, a.end, a.lastDay, a.count) <
           std::tie(b.first, b.repeat, b.every, b.weekend, b.end, b.lastDay, b.count);
}

namespace {

bool LessK(const COccurrenceMarks::value_type& mark, std::uint32_t k) {
    return mark.first < k;
}

} // namespace

COccurrenceMarks::COccurrenceMarks(std::initializer_list<value_type> marks) {
    for (const auto& [k, mark] : marks) {
        (*this)[k] = mark;
    }
}

OccurrenceMark& COccurrenceMarks::operator[](std::uint32_t k) {
    return try_emplace(k, {}).first->second;
}

std::pair<COccurrenceMarks::iterator, bool> COccurrenceMarks::Place(std::uint32_t k,
                                                                    const OccurrenceMark& mark) {
    const auto at = std::lower_bound(m_marks.begin(), m_marks.end(), k, LessK);
    if (at->first == k) {
        return {at, false};
    }
    return {m_marks.emplace(at, k, mark), true};
}

COccurrenceMarks::iterator COccurrenceMarks::find(std::uint32_t k) {
    const auto at = std::lower_bound(m_marks.begin(), m_marks.end(), k, LessK);
    return at != m_marks.end() && at->first == k ? at : m_marks.end();
}

COccurrenceMarks::const_iterator COccurrenceMarks::find(std::uint32_t k) const {
    const auto at = std::lower_bound(m_marks.begin(), m_marks.end(), k, LessK);
    return at != m_marks.end() && at->first == k ? at : m_marks.end();
}

CStamp Schedule::Latest() const {
    return std::max({whatStamp, whenStamp, modeStamp});
}

std::optional<DayNumber> NominalDay(const ScheduleWhen& when, std::uint32_t k) {
    if ((when.end == ScheduleEnd::AfterCount && k >= when.count) || when.every == 0 ||
        k >= kMaxOccurrences) {
        return std::nullopt;
    }
    const std::int64_t steps = std::int64_t{k} * when.every;
    const CalendarDate first = DateFromDayNumber(when.first);
    const std::int64_t firstMonth = std::int64_t{first.year} * kMonthsPerYear + first.month - 1;
    std::optional<DayNumber> day;
    switch (when.repeat) {
    case Repeat::Days:
    case Repeat::Weeks: {
        const std::int64_t length = when.repeat == Repeat::Weeks ? kDaysPerWeek : 1;
        const std::int64_t at = std::int64_t{when.first} + steps * length;
        if (at <= kLastValidDay) {
            day = static_cast<DayNumber>(at);
        }
        break;
    }
    case Repeat::Months:
        day = DayOfMonth(firstMonth + steps, first.day);
        break;
    case Repeat::Years:
        day = DayOfMonth(firstMonth + steps * kMonthsPerYear, first.day);
        break;
    case Repeat::LastDayOfMonth:
        day = DayOfMonth(firstMonth + steps, 31);
        break;
    }
    if (day && when.end == ScheduleEnd::OnDay && *day > when.lastDay) {
        return std::nullopt;
    }
    return day;
}

DayNumber MoveOffWeekend(DayNumber day, WeekendRule rule) {
    const DayNumber weekday = day % kDaysPerWeek;
    if (weekday < kSaturday || rule == WeekendRule::Keep) {
        return day;
    }
    if (rule == WeekendRule::FridayBefore) {
        return day >= kSunday ? day - (weekday - kSaturday + 1) : day;
    }
    const DayNumber monday = day + (kDaysPerWeek - weekday);
    return monday <= kLastValidDay ? monday : day;
}

std::optional<DayNumber> OccurrenceDay(const ScheduleWhen& when, std::uint32_t k) {
    const std::optional<DayNumber> day = NominalDay(when, k);
    return day ? std::optional(MoveOffWeekend(*day, when.weekend)) : std::nullopt;
}

void AppendDue(const Schedule& schedule, DayNumber upTo, std::vector<DueOccurrence>& out) {
    // The occurrences dealt with from the first on are stepped over without their days.
    std::uint32_t k = 0;
    auto mark = schedule.marks.begin();
    while (mark != schedule.marks.end() && mark->first == k &&
           mark->second.state != OccurrenceState::Open) {
        ++k;
        ++mark;
    }
    std::size_t found = 0;
    // A Monday move may put an occurrence after the next one's Friday: the nominal days rise.
    for (; found < kMostDue; ++k) {
        const std::optional<DayNumber> nominal = NominalDay(schedule.when, k);
        if (!nominal) {
            break;
        }
        const DayNumber day = MoveOffWeekend(*nominal, schedule.when.weekend);
        if (day > upTo) {
            if (*nominal > upTo) {
                break;
            }
            continue;
        }
        const auto at = schedule.marks.find(k);
        if (at == schedule.marks.end() || at->second.state == OccurrenceState::Open) {
            out.push_back({schedule.id, k, day});
            ++found;
        }
    }
}

ItemId OccurrenceExpenseId(const CLedgerIds& ids, ItemId schedule, std::uint32_t k) {
    CIdHash hash;
    hash.Add(0x5C4ED01EULL);
    if (IsDerived(schedule)) {
        hash.Add(schedule);
    } else {
        hash.Add(static_cast<std::uint64_t>(ids.DeviceOf(schedule))).Add(SeqOf(schedule));
    }
    return DerivedId(hash.Add(k).Value());
}

CScheduleBook::CScheduleBook(std::vector<Schedule> items, std::vector<GoneSchedule> gone)
    : m_items(std::move(items)), m_gone(std::move(gone)) {
    const auto byId = [](const Schedule& a, const Schedule& b) { return a.id < b.id; };
    if (!std::is_sorted(m_items.begin(), m_items.end(), byId)) {
        std::sort(m_items.begin(), m_items.end(), byId);
    }
}

const Schedule* CScheduleBook::Find(ItemId id) const {
    const auto at = std::lower_bound(m_items.begin(), m_items.end(), id,
                                     [](const Schedule& s, ItemId x) { return s.id < x; });
    return at != m_items.end() && at->id == id ? &*at : nullptr;
}

Schedule* CScheduleBook::Find(ItemId id) {
    return const_cast<Schedule*>(std::as_const(*this).Find(id));
}

void CScheduleBook::Put(Schedule schedule) {
    const auto at = std::lower_bound(m_items.begin(), m_items.end(), schedule.id,
                                     [](const Schedule& s, ItemId x) { return s.id < x; });
    if (at != m_items.end() && at->id == schedule.id) {
        *at = std::move(schedule);
    } else {
        m_items.insert(at, std::move(schedule));
    }
}

std::optional<Schedule> CScheduleBook::Take(ItemId id) {
    const auto at = std::lower_bound(m_items.begin(), m_items.end(), id,
                                     [](const Schedule& s, ItemId x) { return s.id < x; });
    if (at == m_items.end() || at->id != id) {
        return std::nullopt;
    }
    Schedule taken = std::move(*at);
    m_items.erase(at);
    return taken;
}

void CScheduleBook::Bury(Schedule last, CStamp stamp) {
    Unbury(last.id);
    m_gone.push_back({std::move(last), stamp});
}

void CScheduleBook::Unbury(ItemId id) {
    std::erase_if(m_gone, [id](const GoneSchedule& g) { return g.last.id == id; });
}

std::vector<DueOccurrence> CScheduleBook::Due(DayNumber upTo) const {
    std::vector<DueOccurrence> due;
    for (const Schedule& schedule : m_items) {
        AppendDue(schedule, upTo, due);
    }
    std::stable_sort(due.begin(), due.end(),
                     [](const DueOccurrence& a, const DueOccurrence& b) { return a.day < b.day; });
    return due;
}

} // namespace tamblero
