// The chart's bars are the grid's cached totals: the shares of a column add up to its total,
// the longest first with the rest merged past ten, and they follow the period.
#include "app/core/ChartData.h"

#include "model/CategoryNode.h"
#include "resources/StringTable.h"
#include "tests/support/CoreWorld.h"

#include <gtest/gtest.h>

namespace tamblero {
namespace {

class ChartDataTest : public ::testing::Test {
protected:
    // Under a group: articles "a1".."a11" spending 1..11 on Thursday 11 September (column
    // 3 of the week), a refund of 50 that day, and an article that spent on Monday only.
    void SetUp() override {
        m_group = m_world.Root().AddGroup(u"G");
        for (int i = 1; i <= 11; ++i) {
            CExpenseArticle* a =
                m_group->AddArticle(u"a" + std::u16string(1, static_cast<char16_t>(u'a' + i)));
            a->AddEntry(m_thursday, i);
        }
        m_group->AddArticle(u"refund")->AddEntry(m_thursday, -50);
        m_group->AddArticle(u"monday")->AddEntry(m_thursday - 3, 1000);
        m_group->AddArticle(u"last week")->AddEntry(m_thursday - 7, 7);
    }

    [[nodiscard]] static Amount Sum(const std::vector<ChartBar>& bars) {
        Amount sum = 0;
        for (const ChartBar& bar : bars) {
            sum = WrapAdd(sum, bar.total);
        }
        return sum;
    }

    test::CCoreWorld m_world;
    CExpenseGroup* m_group = nullptr;
    const DayNumber m_thursday = DayNumberFromDate(2008, 9, 11);
};

TEST_F(ChartDataTest, SharesAddUpToTheColumnLongestFirstAndTheRestMerged) {
    // Ten bars: the refund (the longest), the eight largest purchases, then the rest as one.
    const ChartData data = BuildChartData(*m_group, m_world.m_frame.m_period, 3);
    ASSERT_EQ(data.shares.size(), kMaxShareBars);
    EXPECT_EQ(data.shares.front().label, u"refund");
    EXPECT_EQ(data.shares.front().total, -50);
    for (std::size_t i = 1; i < 9; ++i) {
        EXPECT_EQ(data.shares[i].total, static_cast<Amount>(12 - i));
        EXPECT_EQ(data.shares[i].node->GetName(), data.shares[i].label);
    }
    EXPECT_EQ(data.shares.back().label, LoadString(IDS_CHART_OTHERS));
    EXPECT_EQ(data.shares.back().node, nullptr);
    EXPECT_EQ(data.shares.back().total, 1 + 2 + 3);
    EXPECT_EQ(data.columnTotal, 66 - 50);
    EXPECT_EQ(Sum(data.shares), m_group->CachedTotal(3));

    // The column bars are the group's row of the grid, titled as its headers.
    ASSERT_EQ(data.columns.size(), 7u);
    EXPECT_EQ(data.columns[0].label, m_world.m_frame.m_period.GetAt(0).m_strLabel);
    EXPECT_EQ(data.columns[0].total, 1000);
    EXPECT_EQ(data.columns[3].total, 16);
    EXPECT_EQ(Sum(data.columns), 1016);
}

TEST_F(ChartDataTest, ExactlyTenChildrenAreTenBarsWithNoneMerged) {
    // Only a group with more than ten spending children merges its smallest into one bar.
    CExpenseGroup* ten = m_world.Root().AddGroup(u"Ten");
    for (int i = 1; i <= 10; ++i) {
        ten->AddArticle(u"b" + std::u16string(1, static_cast<char16_t>(u'a' + i)))
            ->AddEntry(m_thursday, i);
    }
    const ChartData data = BuildChartData(*ten, m_world.m_frame.m_period, 3);
    ASSERT_EQ(data.shares.size(), kMaxShareBars);
    for (const ChartBar& bar : data.shares) {
        EXPECT_NE(bar.node, nullptr) << "merged: " << bar.total;
    }
}

} // namespace
} // namespace tamblero
