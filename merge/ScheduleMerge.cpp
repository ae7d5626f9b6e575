#include "merge/ScheduleMerge.h"

#include "merge/Facts.h"
#include "storage/VerdalonDoc.h"

#include <algorithm>
#include <map>
#include <optional>

namespace tamblero {

namespace {

// A schedule with global ids, and its deletion where one is recorded.
struct ScheduleFact {
    Schedule schedule; // its ids unused: the GIds below
    GId id;
    GId article;
    GId account;
    std::optional<CStamp> gone;
};

// The later stamp's value; of equal stamps the larger value.
template <class T> void JoinField(T& x, CStamp& sx, const T& y, const CStamp& sy) {
    if (sy > sx || (sy == sx && x < y)) {
        x = y;
        sx = sy;
    }
}

void Join(ScheduleFact& x, const ScheduleFact& y) {
    Schedule& a = x.schedule;
    const Schedule& b = y.schedule;
    // The ids take part in what is recorded: compared as global ids, never as slots.
    auto what = std::tuple{x.article, x.account, a.what.amount, a.what.note};
    JoinField(what, a.whatStamp, std::tuple{y.article, y.account, b.what.amount, b.what.note},
              b.whatStamp);
    std::tie(x.article, x.account, a.what.amount, a.what.note) = what;
    JoinField(a.when, a.whenStamp, b.when, b.whenStamp);
    JoinField(a.mode, a.modeStamp, b.mode, b.modeStamp);
    for (const auto& [k, mark] : b.marks) {
        const auto [at, fresh] = a.marks.try_emplace(k, mark);
        if (!fresh) {
            JoinField(at->second.state, at->second.stamp, mark.state, mark.stamp);
        }
    }
    if (y.gone && (!x.gone || *x.gone < *y.gone)) {
        x.gone = y.gone;
    }
}

void Take(const CVerdalonDoc& doc, std::map<GId, ScheduleFact>& facts) {
    const CLedgerIds& ids = doc.Ids();
    const auto add = [&](const Schedule& s, std::optional<CStamp> gone) {
        ScheduleFact fact{s, GlobalId(ids, s.id), GlobalId(ids, s.what.article),
                          GlobalId(ids, s.what.account), gone};
        const auto [at, fresh] = facts.try_emplace(fact.id, fact);
        if (!fresh) {
            Join(at->second, fact);
        }
    };
    for (const Schedule& s : doc.Schedules().Items()) {
        add(s, std::nullopt);
    }
    for (const GoneSchedule& gone : doc.Schedules().Gone()) {
        add(gone.last, gone.stamp);
    }
}

} // namespace

CScheduleBook MergeSchedules(const CVerdalonDoc& ours, const CVerdalonDoc& theirs,
                             CLedgerIds& ids) {
    std::map<GId, ScheduleFact> facts;
    Take(ours, facts);
    Take(theirs, facts);
    CScheduleBook merged;
    for (auto& [id, fact] : facts) {
        Schedule& s = fact.schedule;
        s.id = LocalId(ids, fact.id);
        s.what.article = LocalId(ids, fact.article);
        s.what.account = LocalId(ids, fact.account);
        if (s.id == kNoId) {
            continue;
        }
        // As for rules: a change of its terms after the deletion brings it back.
        if (fact.gone && s.Latest() < *fact.gone) {
            merged.Gone().push_back({std::move(s), *fact.gone});
        } else {
            merged.Put(std::move(s));
        }
    }
    return merged;
}

void AddOccurrenceIds(const CVerdalonDoc& doc, std::vector<GId>& out) {
    const auto add = [&](const Schedule& s) {
        for (const auto& [k, mark] : s.marks) {
            out.push_back(GlobalId(doc.Ids(), OccurrenceExpenseId(doc.Ids(), s.id, k)));
        }
    };
    for (const Schedule& s : doc.Schedules().Items()) {
        add(s);
    }
    for (const GoneSchedule& gone : doc.Schedules().Gone()) {
        add(gone.last);
    }
}

bool SameSchedules(const CScheduleBook& a, const CScheduleBook& b) {
    const auto sorted = [](const CScheduleBook& book) {
        std::vector<GoneSchedule> gone = book.Gone();
        std::sort(gone.begin(), gone.end(), [](const GoneSchedule& x, const GoneSchedule& y) {
            return x.last.id < y.last.id;
        });
        return gone;
    };
    return a.Items() == b.Items() && sorted(a) == sorted(b);
}

} // namespace tamblero
