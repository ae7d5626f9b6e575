// Children keep their insertion order and every cached total, once recomputed, equals
// what the node's subtree spent in each column of the current period.
#include "model/CategoryNode.h"
#include "storage/DataFile.h"
#include "tests/support/CoreWorld.h"

#include <gtest/gtest.h>

#include <climits>

namespace tamblero {
namespace {

constexpr DayNumber kToday = 148907; // Thursday 11 September 2008, column 3 of its week

// The total of every column the way the list view reads it.
std::vector<Amount> Row(CCategoryNode& node) {
    std::vector<Amount> row;
    for (int i = 0; i < g_pMainFrame->CurrentPeriod().GetCount(); ++i) {
        row.push_back(node.GetColumnTotal(i));
    }
    return row;
}

std::vector<Amount> Week(std::initializer_list<std::pair<int, Amount>> cells) {
    std::vector<Amount> row(7, 0);
    for (const auto& [column, amount] : cells) {
        row[static_cast<std::size_t>(column)] = amount;
    }
    return row;
}

TEST(Tree, ChildrenComeInInsertionOrderAndAMovedNodeComesLast) {
    test::CCoreWorld w;
    CExpenseGroup& root = w.Root();
    CExpenseGroup* g1 = root.AddGroup(u"g1");
    CExpenseArticle* a1 = root.AddArticle(u"a1");
    CExpenseGroup* g2 = root.AddGroup(u"g2");
    CExpenseArticle* a2 = root.AddArticle(u"a2");
    CExpenseGroup* g3 = root.AddGroup(u"g1"); // names need not be unique
    ASSERT_EQ(root.Groups().size(), 3U);
    EXPECT_EQ(root.Groups()[0].get(), g1);
    EXPECT_EQ(root.Groups()[1].get(), g2);
    EXPECT_EQ(root.Groups()[2].get(), g3);
    EXPECT_EQ(root.Articles()[0].get(), a1);
    EXPECT_EQ(root.Articles()[1].get(), a2);
    EXPECT_EQ(a2->GetParent(), &root);
    // Rows run over the groups, then the articles.
    std::vector<CCategoryNode*> rows;
    root.ForEachChild([&rows](CCategoryNode& child) { rows.push_back(&child); });
    EXPECT_EQ(rows, (std::vector<CCategoryNode*>{g1, g2, g3, a1, a2}));
    ASSERT_EQ(root.ChildCount(), 5);
    EXPECT_EQ(root.ChildAt(3), a1);
    EXPECT_EQ(root.ChildAt(5), nullptr);
    EXPECT_EQ(root.IndexOfChild(g3), 2);
    EXPECT_EQ(root.IndexOfChild(a2), 4);
    EXPECT_EQ(rows[0]->AsGroup(), g1);
    EXPECT_EQ(rows[0]->AsArticle(), nullptr);
    EXPECT_EQ(rows[3]->AsArticle(), a1);
    EXPECT_EQ(rows[3]->AsGroup(), nullptr);

    root.AttachChild(root.DetachChild(g1)); // a move to its own parent
    root.AttachChild(root.DetachChild(a1));
    EXPECT_EQ(root.Groups()[0].get(), g2);
    EXPECT_EQ(root.Groups()[2].get(), g1);
    EXPECT_EQ(root.Articles()[1].get(), a1);

    g2->AttachChild(root.DetachChild(a1));
    EXPECT_EQ(a1->GetParent(), g2);
    EXPECT_EQ(root.Articles().size(), 1U);
    EXPECT_EQ(root.IndexOfChild(a1), -1);
    EXPECT_EQ(g2->IndexOfChild(a1), 0);
    EXPECT_TRUE(root.Valid());
}

// A child naming another parent, nesting past the limit and an entry naming an account
// outside the list are each reported invalid.
TEST(Tree, ValidRejectsWhatNoOperationBuilds) {
    CExpenseGroup root(u"r", nullptr);
    root.AppendLoaded(std::make_unique<CExpenseArticle>(u"a", &root));
    EXPECT_TRUE(root.Valid());
    CExpenseGroup stranger(u"s", nullptr);
    root.AppendLoaded(std::make_unique<CExpenseArticle>(u"b", &stranger));
    EXPECT_FALSE(root.Valid());

    CExpenseGroup deep(u"d", nullptr);
    CExpenseGroup* last = &deep;
    for (int i = 0; i < kMaxGroupDepth; ++i) {
        last->AppendLoaded(std::make_unique<CExpenseGroup>(u"g", last));
        last = last->Groups().back().get();
    }
    EXPECT_TRUE(deep.Valid());
    last->AppendLoaded(std::make_unique<CExpenseGroup>(u"g", last));
    EXPECT_FALSE(deep.Valid());

    CAccountList accounts;
    CAccount foreign;
    root.Articles()[0]->Days().GetOrCreate(1).Add(&foreign, 5);
    EXPECT_TRUE(accounts.Valid());
    EXPECT_FALSE(accounts.Valid(&root));
}

TEST(Tree, AddingAndRenamingKeepCachesAndViews) {
    test::CCoreWorld w;
    CExpenseArticle* food = w.Root().AddArticle(u"food");
    food->AddEntry(kToday, 10);
    EXPECT_EQ(Row(w.Root()), Week({{3, 10}}));
    w.Forget();

    CExpenseGroup* g = w.Root().AddGroup(u"g");
    CExpenseArticle* a = g->AddArticle(u"a");
    food->SetName(u"еда");
    EXPECT_EQ(food->GetName(), u"еда");

    EXPECT_TRUE(w.Root().TotalsValid());
    EXPECT_TRUE(food->TotalsValid());
    EXPECT_TRUE(w.m_listView.m_updates.empty());
    EXPECT_TRUE(w.m_treeView.m_updates.empty());
    // A new node spends nothing, before and after its first recomputation.
    EXPECT_FALSE(a->TotalsValid());
    EXPECT_EQ(a->CachedTotal(0), 0);
    EXPECT_EQ(Row(*a), Week({}));
    EXPECT_EQ(Row(*g), Week({}));
}

TEST(Tree, AnEntryInsideThePeriodInvalidatesTheChainAndRefreshesAllButTheTree) {
    struct Case {
        DayNumber day;
        bool inside;
    };
    for (const Case c : {Case{kToday, true}, Case{148904, true}, Case{148910, true},
                         Case{148903, false}, Case{148911, false}, Case{1, false}}) {
        test::CCoreWorld w;
        CExpenseGroup* outer = w.Root().AddGroup(u"outer");
        CExpenseGroup* inner = outer->AddGroup(u"inner");
        CExpenseArticle* target = inner->AddArticle(u"target");
        CExpenseArticle* sibling = inner->AddArticle(u"sibling");
        CExpenseGroup* other = w.Root().AddGroup(u"other");
        (void)Row(w.Root());
        w.Forget();

        target->AddEntry(c.day, 25);
        ASSERT_NE(target->FindDay(c.day), nullptr);
        for (const CCategoryNode* node :
             {static_cast<CCategoryNode*>(target), static_cast<CCategoryNode*>(inner),
              static_cast<CCategoryNode*>(outer), static_cast<CCategoryNode*>(&w.Root())}) {
            EXPECT_EQ(node->TotalsValid(), !c.inside)
                << test::Utf8(node->GetName()) << " day " << c.day;
        }
        EXPECT_TRUE(sibling->TotalsValid());
        EXPECT_TRUE(other->TotalsValid());
        EXPECT_TRUE(w.m_treeView.m_updates.empty());
        ASSERT_EQ(w.m_listView.m_updates.size(), c.inside ? 1U : 0U);
        if (c.inside) {
            EXPECT_EQ(w.m_listView.m_updates[0].sender, &w.m_treeView);
            EXPECT_EQ(w.m_listView.m_updates[0].hint, 0);
        }
        const Amount expected = c.inside ? 25 : 0;
        Amount sum = 0;
        for (Amount v : Row(w.Root())) {
            sum += v;
        }
        EXPECT_EQ(sum, expected) << c.day;
        EXPECT_EQ(w.Root().GetColumnTotal(static_cast<int>(c.day - 148904)), c.inside ? 25 : 0);
    }
}

TEST(Tree, MovingAnArticleKeepsBothChainsRight) {
    test::CCoreWorld w;
    CExpenseGroup* a = w.Root().AddGroup(u"A");
    CExpenseGroup* a1 = a->AddGroup(u"A1");
    CExpenseGroup* b = w.Root().AddGroup(u"B");
    CExpenseGroup* b1 = b->AddGroup(u"B1");
    CExpenseArticle* moving = a1->AddArticle(u"moving");
    CExpenseArticle* staying = a1->AddArticle(u"staying");
    CExpenseArticle* there = b1->AddArticle(u"there");
    moving->AddEntry(148904, 100);
    staying->AddEntry(148904, 1);
    there->AddEntry(148910, 7);
    EXPECT_EQ(Row(*a), Week({{0, 101}}));
    EXPECT_EQ(Row(*b), Week({{6, 7}}));
    w.Forget();

    b1->AttachChild(a1->DetachChild(moving));
    EXPECT_TRUE(moving->TotalsValid()); // its own cache travels with it
    EXPECT_EQ(w.m_listView.m_updates.size(), 1U);
    EXPECT_TRUE(w.m_treeView.m_updates.empty());
    EXPECT_EQ(Row(*a1), Week({{0, 1}}));
    EXPECT_EQ(Row(*a), Week({{0, 1}}));
    EXPECT_EQ(Row(*b1), Week({{0, 100}, {6, 7}}));
    EXPECT_EQ(Row(*b), Week({{0, 100}, {6, 7}}));
    EXPECT_EQ(Row(w.Root()), Week({{0, 101}, {6, 7}}));

    // A whole group moves the same way.
    a->AttachChild(b->DetachChild(b1));
    EXPECT_EQ(Row(*a), Week({{0, 101}, {6, 7}}));
    EXPECT_EQ(Row(*b), Week({}));
    EXPECT_EQ(b1->GetParent(), a);
}

TEST(Tree, TakingAGroupOutDropsItsSubtreeAndKeepsBalances) {
    test::CCoreWorld w;
    w.m_doc.Accounts().CreateAccount()->AdjustBalance(1000);
    CExpenseGroup* doomed = w.Root().AddGroup(u"doomed");
    CExpenseArticle* deep = doomed->AddGroup(u"deeper")->AddArticle(u"deep");
    deep->AddEntry(kToday, 300, w.m_doc.Accounts().GetAt(0));
    doomed->AddArticle(u"flat")->AddEntry(kToday, 200, w.m_doc.Accounts().GetAt(0));
    w.Root().AddArticle(u"kept")->AddEntry(kToday, 5, w.m_doc.Accounts().GetAt(0));
    EXPECT_EQ(Row(w.Root()), Week({{3, 505}}));
    EXPECT_EQ(w.m_doc.Accounts().GetAt(0)->Balance(), 495);
    w.Forget();

    static_cast<void>(w.Root().TakeChild(doomed));
    EXPECT_TRUE(w.Root().Groups().empty());
    EXPECT_EQ(w.Root().Articles().size(), 1U);
    EXPECT_EQ(w.m_listView.m_updates.size(), 1U);
    EXPECT_EQ(Row(w.Root()), Week({{3, 5}}));
    EXPECT_EQ(w.m_doc.Accounts().GetAt(0)->Balance(), 495);
}

TEST(Tree, InvalidateTotalsRecursesOnlyWhenAsked) {
    test::CCoreWorld w;
    CExpenseGroup* g = w.Root().AddGroup(u"g");
    CExpenseGroup* gg = g->AddGroup(u"gg");
    CExpenseArticle* a = gg->AddArticle(u"a");
    (void)Row(w.Root());

    w.Root().InvalidateTotals(false);
    EXPECT_FALSE(w.Root().TotalsValid());
    EXPECT_TRUE(g->TotalsValid());
    EXPECT_TRUE(a->TotalsValid());

    // The root is stale already; the whole subtree must still go.
    w.Root().InvalidateTotals(true);
    EXPECT_FALSE(g->TotalsValid());
    EXPECT_FALSE(gg->TotalsValid());
    EXPECT_FALSE(a->TotalsValid());
}

TEST(Tree, StalePeriodTotalsNeverSurviveANewPeriod) {
    test::CCoreWorld w;
    CExpenseGroup* g = w.Root().AddGroup(u"g");
    CExpenseArticle* a = g->AddArticle(u"a");
    a->AddEntry(kToday, 9);
    EXPECT_EQ(Row(w.Root()), Week({{3, 9}}));
    w.Root().InvalidateTotals(false); // stale root over valid children
    w.m_frame.OnPeriodPrev();
    EXPECT_EQ(Row(w.Root()), Week({}));
    w.m_frame.OnPeriodZoomOut(); // September 2008: five weeks, ours is the second
    EXPECT_EQ(Row(w.Root()), (std::vector<Amount>{0, 9, 0, 0, 0}));
}

TEST(Tree, APeriodWithoutColumnsOnlySetsTheFlag) {
    test::CCoreWorld w;
    CExpenseArticle* a = w.Root().AddArticle(u"a");
    w.m_frame.m_period.Set(7, kToday, w.m_doc.GetDaySpan(), w.m_platform);
    ASSERT_EQ(w.m_frame.m_period.GetCount(), 0);
    w.Root().InvalidateTotals(true);
    w.Forget();
    a->AddEntry(kToday, 3); // no period span holds it
    EXPECT_TRUE(w.m_listView.m_updates.empty());
    w.Root().RecalcTotals();
    EXPECT_TRUE(w.Root().TotalsValid());
    EXPECT_TRUE(a->TotalsValid());
    EXPECT_EQ(w.Root().CachedTotal(0), 0);
}

TEST(Tree, MoreThan128ColumnsAreAllCounted) {
    test::CCoreWorld w;
    CExpenseArticle* a = w.Root().AddGroup(u"g")->AddArticle(u"a");
    a->AddEntry(DayNumberFromDate(1801, 6, 1), 1);
    a->AddEntry(DayNumberFromDate(1950, 6, 1), 2);
    a->AddEntry(kToday, 4);
    w.m_frame.m_nPeriodKind = periodAll;
    w.m_frame.RefreshPeriod();
    ASSERT_EQ(w.m_frame.m_period.GetCount(), 2008 - 1801 + 1);
    const std::vector<Amount> row = Row(w.Root());
    EXPECT_EQ(row.front(), 1);
    EXPECT_EQ(row[1950 - 1801], 2);
    EXPECT_EQ(row.back(), 4);
    EXPECT_EQ(w.Root().GetColumnTotal(208), 0); // beyond the last column
}

TEST(Tree, SumsWrapAt32Bits) {
    test::CCoreWorld w;
    CExpenseArticle* a = w.Root().AddArticle(u"a");
    CExpenseArticle* b = w.Root().AddArticle(u"b");
    a->AddEntry(kToday, INT32_MAX);
    a->AddEntry(kToday, 1); // within a day
    b->AddEntry(148904, INT32_MAX);
    b->AddEntry(148905, INT32_MAX); // across days of one column
    EXPECT_EQ(a->FindDay(kToday)->Sum(), INT32_MIN);
    EXPECT_EQ(b->SumDays(148904, 148905), -2);
    w.m_frame.OnPeriodZoomOut();
    EXPECT_EQ(w.Root().GetColumnTotal(1), WrapAdd(INT32_MIN, -2)); // across children
}

// Groups never nest deeper than the data file reads back, by a new group or by a move.
TEST(Tree, GroupsNeverNestDeeperThanTheFileReads) {
    test::CCoreWorld w;
    CExpenseGroup* deepest = &w.Root();
    for (int i = 0; i < kMaxGroupDepth; ++i) {
        deepest = deepest->AddGroup(u"g");
        ASSERT_NE(deepest, nullptr);
    }
    EXPECT_EQ(deepest->AddGroup(u"too deep"), nullptr);
    EXPECT_TRUE(deepest->Groups().empty());
    CExpenseGroup* pair = w.Root().AddGroup(u"pair");
    pair->AddGroup(u"inner");
    CExpenseGroup* above = deepest->GetParent();
    EXPECT_TRUE(above->GetParent()->CanHold(*pair)); // its inner group lands on the last level
    EXPECT_FALSE(above->CanHold(*pair));
    EXPECT_FALSE(deepest->CanHold(*pair->Groups()[0]));
    EXPECT_TRUE(deepest->CanHold(*w.Root().AddArticle(u"a")));

    EXPECT_TRUE(w.Root().Valid());

    test::CCoreWorld copy;
    std::string error;
    EXPECT_TRUE(copy.m_doc.Load(w.m_doc.Store(), error)) << error;
    EXPECT_TRUE(copy.Root().Valid());
}

} // namespace
} // namespace tamblero
