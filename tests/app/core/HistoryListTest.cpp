// One day's history lists every entry of the tree in tree order, and an undo removes exactly the
// undone row.
#include "app/core/HistoryList.h"
#include "app/core/MainFrameCore.h"
#include "model/CategoryNode.h"
#include "resources/StringTable.h"
#include "storage/VerdalonDoc.h"
#include "tests/support/ScriptedPlatform.h"

#include <gtest/gtest.h>

namespace tamblero {
namespace {

class HistoryListTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_frame.SetDocument(&m_doc);
        m_doc.OnNewDocument(
            "/nonexistent/QZData.dat"); // no data file: a bare root after the declined offer
        m_platform.m_messages.clear();
        m_root = m_doc.GetRoot();
    }

    [[nodiscard]] std::vector<std::u16string> Names(const std::vector<HistoryRow>& rows) const {
        std::vector<std::u16string> out;
        for (const HistoryRow& r : rows) {
            out.push_back(r.article->GetName());
        }
        return out;
    }

    test::CScriptedPlatform m_platform;
    CMainFrameCore m_frame{m_platform};
    CVerdalonDoc m_doc{m_platform};
    CExpenseGroup* m_root = nullptr;
    const DayNumber m_day = DayNumberFromDate(2008, 9, 11);
};

TEST_F(HistoryListTest, SubGroupsComeBeforeAGroupsOwnArticles) {
    CExpenseArticle* top = m_root->AddArticle(u"top");
    CExpenseGroup* a = m_root->AddGroup(u"A");
    CExpenseArticle* a1 = a->AddArticle(u"a1");
    CExpenseGroup* deep = a->AddGroup(u"deep");
    CExpenseArticle* d1 = deep->AddArticle(u"d1");
    CExpenseGroup* b = m_root->AddGroup(u"B");
    CExpenseArticle* b1 = b->AddArticle(u"b1");
    CExpenseArticle* empty = b->AddArticle(u"empty");

    top->AddEntry(m_day, 1);
    a1->AddEntry(m_day, 2);
    b1->AddEntry(m_day, 3);
    d1->AddEntry(m_day, 4);
    a1->AddEntry(m_day, 5);
    b1->AddEntry(m_day + 1, 6); // another day
    empty->AddEntry(m_day, 7);
    empty->Days().Find(m_day)->RemoveAt(0); // an emptied bucket lists nothing

    const auto rows = CollectDayEntries(*m_root, m_day);
    EXPECT_EQ(Names(rows), (std::vector<std::u16string>{u"d1", u"a1", u"a1", u"b1", u"top"}));
    std::vector<Amount> amounts;
    for (const HistoryRow& r : rows) {
        amounts.push_back(r.amount);
    }
    EXPECT_EQ(amounts, (std::vector<Amount>{4, 2, 5, 3, 1}));
    EXPECT_TRUE(CollectDayEntries(*m_root, m_day - 1).empty());
}

// Articles of one name on the day's list are named by their paths; unique names stay short.
TEST_F(HistoryListTest, ArticlesOfOneNameAreToldApartByTheirPaths) {
    CExpenseGroup* fun = m_root->AddGroup(u"Развлечения");
    CExpenseGroup* own = m_root->AddGroup(u"Личные");
    CExpenseArticle* funBooks = fun->AddArticle(u"Литература");
    CExpenseArticle* ownBooks = own->AddArticle(u"Литература");
    CExpenseArticle* cinema = fun->AddArticle(u"Кино");
    CExpenseArticle* lone = own->AddGroup(u"Дом")->AddArticle(u"Свет");
    funBooks->AddEntry(m_day, 600);
    funBooks->AddEntry(m_day, 50);
    ownBooks->AddEntry(m_day, 300);
    cinema->AddEntry(m_day, 200);
    lone->AddEntry(m_day, 10);
    ownBooks->AddEntry(m_day + 1, 1);
    lone->AddEntry(m_day + 1, 2);

    EXPECT_EQ(HistoryLabels(CollectDayEntries(*m_root, m_day)),
              (std::vector<std::u16string>{u"Развлечения / Литература", u"Развлечения / Литература",
                                           u"Кино", u"Свет", u"Личные / Литература"}));
    // The next day holds one of them only: its name is unique there.
    EXPECT_EQ(HistoryLabels(CollectDayEntries(*m_root, m_day + 1)),
              (std::vector<std::u16string>{u"Свет", u"Литература"}));
    EXPECT_TRUE(HistoryLabels({}).empty());
}

} // namespace
} // namespace tamblero
