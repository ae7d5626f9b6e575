// Scheduled expenses across devices: an occurrence recorded on several copies is one expense
// after their merge, in every order and grouping, and an undone recording is due again.
#include "app/core/Schedules.h"
#include "merge/MergeFacts.h"
#include "model/CategoryNode.h"
#include "tests/merge/MergeSupport.h"

#include <algorithm>
#include <memory>

namespace tamblero {
namespace {

using test::Copy;
using test::Dump;
using test::MergeOk;

const DayNumber kFirst = *ParseIsoDay("2026-10-01");
const DayNumber kToday = *ParseIsoDay("2026-12-10");
constexpr Amount kRent = 25000;

// A ledger with an article, an account holding money and a monthly rent from 1 October, on
// the first device; the others start as its copies.
struct Devices {
    Devices() {
        CVerdalonDoc& doc = a.doc;
        CCategoryNode* flat = AddNode(doc, *doc.GetRoot(), u"Квартира", false);
        NewAccount(doc);
        MoveMoney(doc, {kFirst, -1, 0, 1'000'000, {}});
        AddSchedule(doc, {flat->m_nId, kRent, doc.Accounts().GetAt(0)->m_nId, u"аренда"},
                    {kFirst, Repeat::Months}, ScheduleMode::Remind);
        test::CloneInto(b, doc);
        test::CloneInto(c, doc);
    }
    Copy a{0xA1};
    Copy b{0xB2};
    Copy c{0xC3};
};

void RecordDue(CVerdalonDoc& doc, std::size_t most = 100) {
    const std::vector<DueOccurrence> due = DueOccurrences(doc, kToday);
    for (std::size_t i = 0; i < due.size() && i < most; ++i) {
        EXPECT_EQ(RecordOccurrence(doc, due[i]), Recorded::Yes);
    }
}

// The due occurrences' numbers and days: the schedule's slot differs between copies.
std::vector<std::pair<std::uint32_t, DayNumber>> Due(CVerdalonDoc& doc) {
    std::vector<std::pair<std::uint32_t, DayNumber>> out;
    for (const DueOccurrence& d : DueOccurrences(doc, kToday)) {
        out.emplace_back(d.k, d.day);
    }
    return out;
}

int Expenses(const CVerdalonDoc& doc) {
    return static_cast<int>(test::ExpenseIds(doc).size());
}

// A fresh copy holding what the document holds.
std::unique_ptr<Copy> CopyOf(const CVerdalonDoc& doc, std::uint64_t device) {
    auto copy = std::make_unique<Copy>(device);
    test::CloneInto(*copy, doc);
    return copy;
}

TEST(ScheduleMerge, AnOccurrenceRecordedOnEveryCopyIsOneExpense) {
    // Two copies both recorded October to December, a third only October: every merge, two
    // ways round and three in any grouping, holds three expenses, paid once, and nothing due.
    Devices d;
    RecordDue(d.a.doc);
    RecordDue(d.b.doc);
    RecordDue(d.c.doc, 1);
    ASSERT_EQ(Expenses(d.a.doc), 3);

    std::vector<std::unique_ptr<Copy>> results;
    results.push_back(CopyOf(d.a.doc, 0xD1));
    MergeOk(results.back()->doc, d.b.doc);
    results.push_back(CopyOf(d.b.doc, 0xD2));
    MergeOk(results.back()->doc, d.a.doc);
    for (const auto& [x, y, z] :
         {std::tuple{&d.a, &d.b, &d.c}, {&d.c, &d.a, &d.b}, {&d.b, &d.c, &d.a}}) {
        results.push_back(CopyOf(x->doc, 0xD3));
        MergeOk(results.back()->doc, y->doc);
        MergeOk(results.back()->doc, z->doc);
        auto right = CopyOf(y->doc, 0xD4);
        MergeOk(right->doc, z->doc);
        results.push_back(CopyOf(x->doc, 0xD5));
        MergeOk(results.back()->doc, right->doc);
    }
    for (const auto& r : results) {
        EXPECT_EQ(Dump(r->doc), Dump(results.front()->doc));
        EXPECT_EQ(Expenses(r->doc), 3);
        EXPECT_EQ(r->doc.Accounts().GetAt(0)->Balance(), 1'000'000 - 3 * kRent);
        EXPECT_TRUE(DueOccurrences(r->doc, kToday).empty());
        EXPECT_TRUE(r->doc.IdsValid());
    }
}

TEST(ScheduleMerge, AnUndoneRecordingIsDueAgain) {
    // Undone, the occurrence is due again, here and after a merge with a copy that never
    // recorded it; redone, it is one expense again and not due.
    Devices d;
    const std::vector<DueOccurrence> occurrences = DueOccurrences(d.a.doc, kToday);
    const auto due = Due(d.a.doc);
    ASSERT_EQ(due.size(), 3U);
    ASSERT_EQ(RecordOccurrence(d.a.doc, occurrences[0]), Recorded::Yes);
    EXPECT_EQ(DueOccurrences(d.a.doc, kToday).size(), 2U);
    d.a.doc.UndoChange();
    EXPECT_EQ(Due(d.a.doc), due);
    EXPECT_EQ(Expenses(d.a.doc), 0);
    EXPECT_TRUE(d.a.doc.IdsValid());

    auto merged = CopyOf(d.a.doc, 0xD1);
    MergeOk(merged->doc, d.b.doc);
    EXPECT_EQ(Due(merged->doc), due);
    EXPECT_EQ(Expenses(merged->doc), 0);

    d.a.doc.RedoChange();
    EXPECT_EQ(Expenses(d.a.doc), 1);
    EXPECT_EQ(DueOccurrences(d.a.doc, kToday).size(), 2U);
    EXPECT_TRUE(d.a.doc.IdsValid());
}

TEST(ScheduleMerge, SkippedOccurrencesAreNotAskedAgainOnAnyCopy) {
    // A skip on one copy holds on the others after a merge; its undo makes them due again.
    Devices d;
    const std::vector<DueOccurrence> due = DueOccurrences(d.a.doc, kToday);
    SkipOccurrences(d.a.doc, due);
    EXPECT_TRUE(DueOccurrences(d.a.doc, kToday).empty());
    MergeOk(d.b.doc, d.a.doc);
    EXPECT_TRUE(DueOccurrences(d.b.doc, kToday).empty());
    d.a.doc.UndoChange();
    EXPECT_EQ(DueOccurrences(d.a.doc, kToday), due);
}

TEST(ScheduleMerge, OccurrencesAlikeOnOneDayStayTwoExpenses) {
    // An occurrence recorded on one copy and, on the other, another occurrence or an expense
    // typed by hand on the same day with the same article, amount, account and note are two
    // expenses after the merge: their ids are identities, never matched by content as the ids
    // an earlier version's file leaves to be derived are.
    const DayNumber saturday = *ParseIsoDay("2026-10-03");
    const ScheduleWhen monday{
        saturday + 2, Repeat::Months, 1, WeekendRule::Keep, ScheduleEnd::AfterCount, 0, 1};
    constexpr Amount kWater = 500;
    struct Case {
        const char* what;
        std::vector<ScheduleWhen> schedules;
        bool byHand; // the other copy types the expense
    };
    const Case cases[] = {
        {"a Saturday and a Sunday moved onto the Monday",
         {{saturday, Repeat::Days, 1, WeekendRule::MondayAfter, ScheduleEnd::AfterCount, 0, 2}},
         false},
        {"two schedules alike", {monday, monday}, false},
        {"an occurrence and an expense typed by hand", {monday}, true},
    };
    for (const Case& c : cases) {
        Devices d;
        CVerdalonDoc& doc = d.a.doc;
        const ItemId flat = doc.Schedules().Items().front().what.article;
        for (const ScheduleWhen& when : c.schedules) {
            AddSchedule(doc, {flat, kWater, doc.Accounts().GetAt(0)->m_nId, u"вода"}, when,
                        ScheduleMode::Remind);
        }
        const auto b = CopyOf(doc, 0xB7);
        const auto water = [](CVerdalonDoc& on) {
            std::vector<DueOccurrence> out;
            for (const DueOccurrence& due : DueOccurrences(on, kToday)) {
                if (on.Schedules().Find(due.schedule)->what.amount == kWater) {
                    out.push_back(due);
                }
            }
            return out;
        };
        ASSERT_EQ(water(doc).size(), c.byHand ? 1U : 2U) << c.what;
        EXPECT_EQ(water(doc).front().day, water(doc).back().day) << c.what;
        // The first occurrence here, the last there: both on the Monday.
        const DueOccurrence theirs = water(b->doc).back();
        EXPECT_EQ(RecordOccurrence(doc, water(doc).front()), Recorded::Yes);
        if (c.byHand) {
            const Schedule& s = *b->doc.Schedules().Find(theirs.schedule);
            EXPECT_TRUE(
                AddExpense(b->doc, *ArticleOf(b->doc, s), {theirs.day, kWater, 0, u"вода"}));
        } else {
            EXPECT_EQ(RecordOccurrence(b->doc, theirs), Recorded::Yes);
        }
        MergeOk(doc, b->doc);
        EXPECT_EQ(Expenses(doc), 2) << c.what;
        EXPECT_TRUE(water(doc).empty()) << c.what;
        EXPECT_TRUE(doc.IdsValid()) << c.what;
    }
}

TEST(ScheduleMerge, ContentMatchingJoinsAnOccurrenceOnlyWithAnIdFromContent) {
    // Where a copy holds ids derived from content to match (an earlier version saved it), an
    // occurrence's expense takes the place of the one alike of those, and is never joined with
    // another occurrence's or a real one alike.
    const GId root{1, 1};
    const GId article{1, 2};
    const GId first{0, DerivedId(20)};
    const GId second{0, DerivedId(22)};
    const GId fromContent{0, DerivedId(24)};
    const GId real{1, 3};
    const std::vector<GId> lasting{first, second};
    struct Case {
        const char* what;
        GId ours;
        GId theirs;
        bool joined; // into ours
    };
    const Case cases[] = {
        {"two occurrences", first, second, false},
        {"an occurrence and a real one", first, real, false},
        {"an occurrence and one from content", first, fromContent, true},
        {"a real one and one from content", real, fromContent, true},
    };
    for (const Case& c : cases) {
        const auto facts = [&](GId expense) {
            Facts f;
            f.root = root;
            f.nodes = {{root, {}, true, u"", {}, {}}, {article, root, false, u"Вода", {}, {}}};
            f.expenses = {{expense, article, {}, u"", kFirst, kRent, 0}};
            SortFacts(f);
            return f;
        };
        Facts a = facts(c.ours);
        Facts b = facts(c.theirs);
        // Something of ours from content and new to them, so that the matching is done.
        a.expenses.push_back({{0, DerivedId(26)}, article, {}, u"", kFirst, 1, 0});
        SortFacts(a);
        MatchDerived(a, b, lasting);
        const auto rent = [](const Facts& f) {
            return std::find_if(f.expenses.begin(), f.expenses.end(),
                                [](const ExpenseFact& e) { return e.amount == kRent; })
                ->id;
        };
        EXPECT_EQ(rent(a), c.ours) << c.what;
        EXPECT_EQ(rent(b), c.joined ? c.ours : c.theirs) << c.what;
    }
}

} // namespace
} // namespace tamblero
