// Every kind and anchor builds contiguous columns with the titles and the period label
// the reader expects.
#include "period/Period.h"
#include "app/cli/EnglishDates.h"
#include "resources/StringTable.h"
#include "tests/support/ScriptedPlatform.h"

#include <gtest/gtest.h>

namespace tamblero {
namespace {

std::string Titles(const CPeriod& p) {
    std::string out;
    for (const CPeriodColumn& c : p.Columns()) {
        out += (out.empty() ? "" : ", ") + test::Utf8(c.m_strLabel);
    }
    return out;
}

void ExpectContiguous(const CPeriod& p, const std::string& what) {
    for (int i = 0; i < p.GetCount(); ++i) {
        EXPECT_LE(p.GetAt(i).m_firstDay, p.GetAt(i).m_lastDay) << what << " column " << i;
        if (i > 0) {
            EXPECT_EQ(p.GetAt(i).m_firstDay, p.GetAt(i - 1).m_lastDay + 1)
                << what << " column " << i;
        }
    }
}

TEST(Period, ColumnsAndLabelsOfEveryKind) {
    struct Case {
        int kind;
        CalendarDate anchor;
        CalendarDate first; // of the first column
        CalendarDate last;  // of the last column
        const char* titles;
        const char* label;
        int columns;
    };
    const Case cases[] = {
        {periodWeek,
         {2008, 9, 11},
         {2008, 9, 8},
         {2008, 9, 14},
         "8 Mon, 9 Tue, 10 Wed, 11 Thu, 12 Fri, 13 Sat, 14 Sun",
         "8 - 14 Sep 2008",
         7},
        {periodWeek, {2008, 9, 14}, {2008, 9, 8}, {2008, 9, 14}, nullptr, "8 - 14 Sep 2008", 7},
        {periodWeek,
         {2008, 10, 5},
         {2008, 9, 29},
         {2008, 10, 5},
         nullptr,
         "29 Sep - 5 Oct 2008",
         7},
        {periodWeek,
         {2009, 1, 1},
         {2008, 12, 29},
         {2009, 1, 4},
         "29 Mon, 30 Tue, 31 Wed, 1 Thu, 2 Fri, 3 Sat, 4 Sun",
         "29 Dec - 4 Jan 2009",
         7},
        {periodWeek, {1601, 1, 3}, {1601, 1, 1}, {1601, 1, 7}, nullptr, "1 - 7 Jan 1601", 7},
        // The last week of 9999 ends with the last day a file can hold, a Friday.
        {periodWeek,
         {9999, 12, 29},
         {9999, 12, 27},
         {9999, 12, 31},
         "27 Mon, 28 Tue, 29 Wed, 30 Thu, 31 Fri",
         "27 - 31 Dec 9999",
         5},
        {periodMonth,
         {2010, 2, 14},
         {2010, 2, 1},
         {2010, 2, 28},
         "1-7, 8-14, 15-21, 22-28",
         "Feb 2010",
         4},
        {periodMonth,
         {2009, 3, 31},
         {2009, 2, 23},
         {2009, 4, 5},
         "23-1, 2-8, 9-15, 16-22, 23-29, 30-5",
         "Mar 2009",
         6},
        {periodMonth,
         {2008, 12, 1},
         {2008, 12, 1},
         {2009, 1, 4},
         "1-7, 8-14, 15-21, 22-28, 29-4",
         "Dec 2008",
         5},
        {periodMonth,
         {2009, 1, 20},
         {2008, 12, 29},
         {2009, 2, 1},
         "29-4, 5-11, 12-18, 19-25, 26-1",
         "Jan 2009",
         5},
        {periodMonth,
         {9999, 12, 31},
         {9999, 11, 29},
         {9999, 12, 31},
         "29-5, 6-12, 13-19, 20-26, 27-31",
         "Dec 9999",
         5},
        {periodYear,
         {2008, 2, 29},
         {2008, 1, 1},
         {2008, 12, 31},
         "Jan, Feb, Mar, Apr, May, Jun, Jul, Aug, Sep, Oct, Nov, Dec",
         "2008",
         12},
        {periodYear, {9999, 12, 31}, {9999, 1, 1}, {9999, 12, 31}, nullptr, "9999", 12},
    };
    test::CScriptedPlatform platform;
    for (const Case& c : cases) {
        CPeriod p;
        p.Set(c.kind, DayNumberFromDate(c.anchor), {}, platform);
        const std::string what = std::string(c.label) + " kind " + std::to_string(c.kind);
        ASSERT_GT(p.GetCount(), 0) << what;
        EXPECT_EQ(p.GetAt(0).m_firstDay, DayNumberFromDate(c.first)) << what;
        EXPECT_EQ(p.GetAt(p.GetCount() - 1).m_lastDay, DayNumberFromDate(c.last)) << what;
        if (c.titles != nullptr) {
            EXPECT_EQ(Titles(p), c.titles) << what;
        }
        EXPECT_EQ(test::Utf8(p.m_strLabel), c.label) << what;
        ExpectContiguous(p, what);
        EXPECT_EQ(p.GetCount(), c.columns) << what;
    }
}

// English names, but a month asked for standing alone ("LLL") marked "!", so a test sees
// which of the two forms each text asked for.
class CMonthFormsPlatform final : public IPlatform {
public:
    MsgResult MessageBox(const std::u16string&, const std::u16string&, MsgButtons buttons, MsgIcon,
                         MsgDefault) override {
        return UnansweredResult(buttons);
    }
    [[nodiscard]] CalendarDate Today() const override { return {2008, 9, 11}; }
    [[nodiscard]] std::u16string FormatDate(const CalendarDate& date,
                                            const std::u16string& picture) const override {
        std::u16string marked = picture;
        for (std::size_t at = marked.find(u"LLL"); at != std::u16string::npos;
             at = marked.find(u"LLL", at + 4)) {
            marked.replace(at, 3, u"MMM!");
        }
        return FormatDateEnglish(date, marked);
    }
    [[nodiscard]] std::filesystem::path ExecutablePath() const override { return {}; }
    [[nodiscard]] bool FileExists(const std::filesystem::path&) const override { return false; }
    [[nodiscard]] std::optional<std::string> Environment(const char*) const override {
        return std::nullopt;
    }
    [[nodiscard]] std::optional<std::string> HomeFromUserDatabase() const override {
        return std::nullopt;
    }
    [[nodiscard]] std::int64_t NowMillis() const override { return 0; }
    [[nodiscard]] std::uint64_t ThisDevice() override { return 0; }
};

// A month with no day before it (the year's titles, the month's label) is asked for in the
// form that stands alone (Russian "май 2026"); after a day (the week's label) in the form
// that follows a day ("5 мая 2026").
TEST(Period, AMonthAloneIsAskedForInItsOwnForm) {
    struct Case {
        int kind;
        CalendarDate anchor;
        const char* titles; // nullptr: not checked
        const char* label;
    };
    const Case cases[] = {
        {periodYear,
         {2008, 9, 11},
         "Jan!, Feb!, Mar!, Apr!, May!, Jun!, Jul!, Aug!, Sep!, Oct!, Nov!, Dec!",
         "2008"},
        {periodMonth, {2008, 9, 11}, nullptr, "Sep! 2008"},
        {periodWeek, {2008, 10, 5}, nullptr, "29 Sep - 5 Oct 2008"},
        {periodWeek, {2009, 1, 1}, nullptr, "29 Dec - 4 Jan 2009"},
        // After a day the month takes the form of a date ("3 мая"), never its own ("май").
        {periodWeek, {2026, 4, 30}, nullptr, "27 Apr - 3 May 2026"},
    };
    const CMonthFormsPlatform platform;
    for (const Case& c : cases) {
        CPeriod p;
        p.Set(c.kind, DayNumberFromDate(c.anchor), {}, platform);
        if (c.titles != nullptr) {
            EXPECT_EQ(Titles(p), c.titles) << c.kind;
        }
        EXPECT_EQ(test::Utf8(p.m_strLabel), c.label) << c.kind;
    }
}

TEST(Period, AllTimeHasOneColumnPerYearOfTheDaySpan) {
    test::CScriptedPlatform platform;
    CPeriod p;
    const DayNumber today = DayNumberFromDate(2008, 9, 11);
    p.Set(periodAll, today, {today, today}, platform);
    EXPECT_EQ(Titles(p), "2008");
    EXPECT_EQ(p.m_strLabel, LoadString(IDS_ALL_TIME));
    EXPECT_EQ(p.m_strLabel, u"Все");

    p.Set(periodAll, 0, {DayNumberFromDate(1999, 12, 31), DayNumberFromDate(2002, 1, 1)}, platform);
    EXPECT_EQ(Titles(p), "1999, 2000, 2001, 2002");
    EXPECT_EQ(p.GetAt(0).m_firstDay, DayNumberFromDate(1999, 1, 1));
    EXPECT_EQ(p.GetAt(3).m_lastDay, DayNumberFromDate(2002, 12, 31));
    ExpectContiguous(p, "1999-2002");

    p.Set(periodAll, 0, {0, kLastValidDay}, platform);
    EXPECT_EQ(p.GetCount(), 9999 - 1601 + 1);
    ExpectContiguous(p, "all years");
}

TEST(Period, AnUnknownKindLeavesNoColumnsAndTheOldLabel) {
    test::CScriptedPlatform platform;
    CPeriod p;
    p.Set(periodYear, DayNumberFromDate(2008, 1, 1), {}, platform);
    p.Set(4, DayNumberFromDate(2008, 1, 1), {}, platform);
    EXPECT_EQ(p.GetCount(), 0);
    EXPECT_EQ(p.m_strLabel, u"2008");
    EXPECT_FALSE(p.SpanContains(DayNumberFromDate(2008, 1, 1)));
    EXPECT_EQ(p.IndexOfToday(platform), -1);
}

TEST(Period, IndexOfTodayReadsTheDateAfresh) {
    test::CScriptedPlatform platform;
    CPeriod p;
    p.Set(periodWeek, DayNumberFromDate(2008, 9, 11), {}, platform);
    EXPECT_EQ(p.IndexOfToday(platform), 3);
    platform.SetToday(2008, 9, 14);
    EXPECT_EQ(p.IndexOfToday(platform), 6);
    platform.SetToday(2008, 9, 15);
    EXPECT_EQ(p.IndexOfToday(platform), -1);
    EXPECT_TRUE(p.SpanContains(DayNumberFromDate(2008, 9, 8)));
    EXPECT_FALSE(p.SpanContains(DayNumberFromDate(2008, 9, 15)));
}

} // namespace
} // namespace tamblero
