// Budgets: the standing of articles and groups by month and year with leftovers carried, their
// undoable changes, their section of the data file and the merge of two copies' budgets.
#include "app/core/DocumentChanges.h"
#include "budget/BudgetFigures.h"
#include "merge/Facts.h"
#include "merge/Merge.h"
#include "model/CategoryNode.h"
#include "storage/DataFile.h"
#include "tests/support/CoreWorld.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>

namespace tamblero {
namespace {

DayNumber Day(int year, int month, int day) {
    return DayNumberFromDate(year, month, day);
}

BudgetPlan Monthly(Amount amount, int year, int month) {
    BudgetPlan plan;
    plan.monthly = amount;
    plan.from = year * kMonthsInYear + month - 1;
    return plan;
}

// Еда/Кафе, Еда/Магазин and Связь with expenses in 2026; Кафе 5000 a month from January,
// carried; Магазин 4000 in January and 1000 in March of 2026, carried; Связь 700 a month, not.
struct BudgetWorld : test::CCoreWorld {
    BudgetWorld() {
        CExpenseGroup* food = AddNode(m_doc, Root(), u"Еда", true)->AsGroup();
        cafe = AddNode(m_doc, *food, u"Кафе", false)->AsArticle();
        shop = AddNode(m_doc, *food, u"Магазин", false)->AsArticle();
        phone = AddNode(m_doc, Root(), u"Связь", false)->AsArticle();
        for (const auto& [article, day, amount] : {std::tuple{cafe, Day(2026, 1, 5), 3000},
                                                   {cafe, Day(2026, 2, 3), 2000},
                                                   {cafe, Day(2026, 2, 20), 4000},
                                                   {cafe, Day(2026, 3, 1), 1000},
                                                   {cafe, Day(2026, 4, 9), 12000},
                                                   {shop, Day(2026, 1, 31), 2000},
                                                   {phone, Day(2026, 1, 10), 900}}) {
            EXPECT_TRUE(AddExpense(m_doc, *article, {day, amount, -1, u""}));
        }
        SetBudget(m_doc, *cafe, Monthly(5000, 2026, 1), true);
        BudgetPlan shopPlan;
        shopPlan.year = 2026;
        shopPlan.months[0] = 4000;
        shopPlan.months[2] = 1000;
        SetBudget(m_doc, *shop, shopPlan, true);
        SetBudget(m_doc, *phone, Monthly(700, 2026, 1), false);
    }
    CExpenseArticle* cafe = nullptr;
    CExpenseArticle* shop = nullptr;
    CExpenseArticle* phone = nullptr;
};

TEST(Budget, StandsByMonthAndYearWithLeftoversCarried) {
    // Each row: a node's budget and spending in a month (0: the whole year), or none.
    BudgetWorld w;
    const CCategoryNode* food = w.cafe->GetParent();
    struct Case {
        const char* invariant;
        const CCategoryNode* node;
        int year;
        int month;
        std::optional<BudgetStanding> expected;
    };
    const Case cases[] = {
        {"a month before the first has no budget", w.cafe, 2025, 12, std::nullopt},
        {"the first month: its amount", w.cafe, 2026, 1, BudgetStanding{5000, 3000}},
        {"January's 2000 left carries into February", w.cafe, 2026, 2, BudgetStanding{7000, 6000}},
        {"February's 1000 left carries into March", w.cafe, 2026, 3, BudgetStanding{6000, 1000}},
        {"April's overspending of 2000 shrinks May", w.cafe, 2026, 5, BudgetStanding{3000, 0}},
        {"without carrying, every month its amount", w.phone, 2026, 2, BudgetStanding{700, 0}},
        {"a year's month without an amount has no budget", w.shop, 2026, 2, std::nullopt},
        {"after a month without one the carrying starts anew", w.shop, 2026, 3,
         BudgetStanding{1000, 0}},
        {"a group without its own sums its children's", food, 2026, 1, BudgetStanding{9000, 5000}},
        {"a child without a budget adds nothing but its spending", &w.Root(), 2026, 1,
         BudgetStanding{9700, 5900}},
        {"a group sums only the children with a budget that month", food, 2026, 2,
         BudgetStanding{7000, 6000}},
        {"the year of a year's budget: its months' sum", w.shop, 2026, 0,
         BudgetStanding{5000, 2000}},
        {"the year of a monthly budget: twelve months", w.cafe, 2026, 0,
         BudgetStanding{60000, 22000}},
        {"the next year takes what the last left", w.cafe, 2027, 0,
         BudgetStanding{60000 + 38000, 0}},
        {"no year of the year's budget but its own", w.shop, 2027, 0, std::nullopt},
    };
    for (const Case& c : cases) {
        const DayNumber anchor = Day(c.year, c.month == 0 ? 6 : c.month, 15);
        EXPECT_EQ(PeriodStanding(w.m_doc.Budgets(), *c.node,
                                 c.month == 0 ? periodYear : periodMonth, anchor),
                  c.expected)
            << c.invariant;
    }
}

TEST(Budget, AWeekColumnShowsTheMonthThroughItsLastDay) {
    // The month kind's columns are weeks: each shows the month's budget against its spending
    // from the first of the month to the week's end; the year kind's, the month's own.
    BudgetWorld w;
    CPeriod period;
    period.Set(periodMonth, Day(2026, 2, 10), {}, w.m_platform);
    ASSERT_EQ(period.GetAt(0).m_firstDay, Day(2026, 1, 26));
    const std::int64_t spent[] = {0, 2000, 2000, 6000};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(ColumnStanding(w.m_doc.Budgets(), *w.cafe, periodMonth, Day(2026, 2, 10),
                                 period.GetAt(i)),
                  (BudgetStanding{7000, spent[i]}))
            << i;
    }
    period.Set(periodYear, Day(2026, 2, 10), {}, w.m_platform);
    EXPECT_EQ(
        ColumnStanding(w.m_doc.Budgets(), *w.cafe, periodYear, Day(2026, 2, 10), period.GetAt(3)),
        (BudgetStanding{10000, 12000}));
}

TEST(Budget, SettingAndRemovingUndoToTheSameBudget) {
    // Undo and redo give each state back with the same id; a budget out of the book has a
    // deletion record; the ids stay valid throughout.
    BudgetWorld w;
    const Budget before = *w.m_doc.Budgets().Find(w.cafe->m_nId);
    SetBudget(w.m_doc, *w.cafe, Monthly(6000, 2026, 1), false);
    EXPECT_EQ(w.m_doc.Budgets().Find(w.cafe->m_nId)->plan.monthly, 6000);
    EXPECT_EQ(w.m_doc.Budgets().Find(w.cafe->m_nId)->id, before.id);
    w.m_doc.UndoChange();
    EXPECT_EQ(w.m_doc.Budgets().Find(w.cafe->m_nId)->plan, before.plan);
    EXPECT_TRUE(w.m_doc.Budgets().Find(w.cafe->m_nId)->carry);
    RemoveBudget(w.m_doc, *w.cafe);
    EXPECT_EQ(w.m_doc.Budgets().Find(w.cafe->m_nId), nullptr);
    EXPECT_EQ(w.m_doc.Budgets().Gone().size(), 1U);
    EXPECT_TRUE(w.m_doc.IdsValid());
    w.m_doc.UndoChange();
    EXPECT_EQ(w.m_doc.Budgets().Find(w.cafe->m_nId)->id, before.id);
    EXPECT_TRUE(w.m_doc.Budgets().Gone().empty());
    // The first setting undone: the article has none, and its redo brings the same one.
    w.m_doc.UndoChange(); // Связь's
    w.m_doc.UndoChange(); // Магазин's
    w.m_doc.UndoChange(); // Кафе's
    EXPECT_EQ(w.m_doc.Budgets().Find(w.cafe->m_nId), nullptr);
    w.m_doc.RedoChange();
    EXPECT_EQ(w.m_doc.Budgets().Find(w.cafe->m_nId)->id, before.id);
    EXPECT_TRUE(w.m_doc.IdsValid());
}

TEST(Budget, TheFileKeepsThemAndWithoutAnyIsAsBefore) {
    // The section gives the same budgets back; a document without budgets writes the bytes it
    // wrote before budgets were known.
    BudgetWorld w;
    RemoveBudget(w.m_doc, *w.phone);
    const std::vector<std::uint8_t> bytes = w.m_doc.Store();
    test::CScriptedPlatform platform;
    CVerdalonDoc read(platform);
    std::string error;
    ASSERT_TRUE(read.Load(bytes, error)) << error;
    EXPECT_TRUE(read.Budgets().Same(w.m_doc.Budgets()));
    EXPECT_EQ(read.Store(), bytes);

    test::CCoreWorld plain;
    AddNode(plain.m_doc, plain.Root(), u"Еда", false);
    EXPECT_EQ(plain.m_doc.Store(),
              WriteDataFile(plain.m_doc.Accounts(), plain.Root(), plain.m_doc.Notes(), {}, {},
                            &plain.m_doc.Ids(), &plain.m_doc.StatementMemory()));
}

CCategoryNode& Cafe(CVerdalonDoc& doc) {
    return *doc.GetRoot()->ChildAt(0)->AsGroup()->ChildAt(0);
}

// The budgets by their global ids, which two documents compare in.
std::string Global(const CVerdalonDoc& doc) {
    std::map<GId, std::string> lines;
    const auto line = [&](const Budget& b, const std::string& gone) {
        const GId node = GlobalId(doc.Ids(), b.node);
        lines[GlobalId(doc.Ids(), b.id)] =
            std::to_string(node.device) + ":" + std::to_string(node.value) + " " +
            std::to_string(b.plan.monthly) + " " + b.stamps.plan.Text() + " " +
            b.stamps.carry.Text() + gone;
    };
    for (const Budget& b : doc.Budgets().Live()) {
        line(b, "");
    }
    for (const GoneBudget& g : doc.Budgets().Gone()) {
        line(g.last, " gone " + g.stamp.Text());
    }
    std::string out;
    for (const auto& [id, text] : lines) {
        out += std::to_string(id.device) + ":" + std::to_string(id.value) + " " + text + "\n";
    }
    return out;
}

TEST(Budget, TwoCopiesMergeAlikeInBothOrders) {
    // Each row: changes on two copies of one ledger; merged either way they agree, and hold
    // what the row says of Кафе's budget.
    struct Case {
        const char* invariant;
        void (*change)(CVerdalonDoc& a, CVerdalonDoc& b);
        std::optional<Amount> cafe;
    };
    const Case cases[] = {
        {"the later change of the plan wins",
         [](CVerdalonDoc& a, CVerdalonDoc& b) {
             SetBudget(a, Cafe(a), Monthly(100, 2026, 1), true);
             SetBudget(b, Cafe(b), Monthly(200, 2026, 1), true);
         },
         200},
        {"a removal later than every change takes it",
         [](CVerdalonDoc& a, CVerdalonDoc& b) {
             SetBudget(a, Cafe(a), Monthly(100, 2026, 1), true);
             RemoveBudget(b, Cafe(b));
         },
         std::nullopt},
        {"a change after a removal brings it back",
         [](CVerdalonDoc& a, CVerdalonDoc& b) {
             RemoveBudget(a, Cafe(a));
             SetBudget(b, Cafe(b), Monthly(300, 2026, 1), true);
         },
         300},
        {"two budgets set apart: the one set last shows",
         [](CVerdalonDoc& a, CVerdalonDoc& b) {
             RemoveBudget(a, Cafe(a));
             SetBudget(a, Cafe(a), Monthly(400, 2026, 1), false);
             SetBudget(b, Cafe(b), Monthly(5000, 2026, 1), false);
         },
         5000},
    };
    for (const Case& c : cases) {
        BudgetWorld base;
        const std::vector<std::uint8_t> bytes = base.m_doc.Store();
        test::CScriptedPlatform pa;
        test::CScriptedPlatform pb;
        pa.m_device = 0xAA;
        pb.m_device = 0xBB;
        pa.m_nowMillis = 1'796'000'000'000;
        pb.m_nowMillis = pa.m_nowMillis + 1000; // b's changes are the later
        CVerdalonDoc a(pa);
        CVerdalonDoc b(pb);
        std::string error;
        ASSERT_TRUE(a.Load(bytes, error) && b.Load(bytes, error)) << error;
        c.change(a, b);
        CVerdalonDoc a2(pa);
        ASSERT_TRUE(a2.Load(a.Store(), error)) << error;
        MergeReport report;
        MergeRefusal refusal;
        ASSERT_TRUE(MergeInto(a, b, report, refusal)) << refusal.english;
        ASSERT_TRUE(MergeInto(b, a2, report, refusal)) << refusal.english;
        EXPECT_EQ(Global(a), Global(b)) << c.invariant;
        const Budget* got = a.Budgets().Find(Cafe(a).m_nId);
        EXPECT_EQ(got ? std::optional(got->plan.monthly) : std::nullopt, c.cafe) << c.invariant;
        EXPECT_TRUE(a.IdsValid()) << c.invariant;
        // Merging again changes nothing.
        ASSERT_TRUE(MergeInto(a, b, report, refusal));
        EXPECT_FALSE(report.changedBudgets) << c.invariant;
    }
}

} // namespace
} // namespace tamblero
