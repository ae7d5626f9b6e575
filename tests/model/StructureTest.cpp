// The brace notation builds exactly the groups and articles it spells, in its order.
#include "model/DefaultStructure.h"
#include "resources/StringTable.h"
#include "tests/support/CoreWorld.h"

#include <gtest/gtest.h>

namespace tamblero {
namespace {

// Groups as "name{...}" first, then articles as "name,", in list order.
std::u16string Spell(const CExpenseGroup& g) {
    std::u16string out;
    g.ForEachChild([&out](const CCategoryNode& child) {
        const CExpenseGroup* inner = child.AsGroup();
        out += inner != nullptr ? child.GetName() + u"{" + Spell(*inner) + u"}"
                                : child.GetName() + u",";
    });
    return out;
}

int CountGroups(const CExpenseGroup& g) {
    int n = g.GroupCount();
    for (const auto& child : g.Groups()) {
        n += CountGroups(*child);
    }
    return n;
}

int CountArticles(const CExpenseGroup& g) {
    int n = g.ArticleCount();
    for (const auto& child : g.Groups()) {
        n += CountArticles(*child);
    }
    return n;
}

TEST(Structure, TheBuiltInStringGivesTheReadyMadeTree) {
    test::CCoreWorld w;
    ParseStructure(w.Root(), LoadString(IDS_DEFAULT_STRUCTURE));
    EXPECT_TRUE(w.Root().Valid());
    EXPECT_EQ(CountGroups(w.Root()), 8);
    EXPECT_EQ(CountArticles(w.Root()), 14);
    EXPECT_EQ(test::Utf8(Spell(w.Root())),
              "Общие{"
              "Постоянные{Транспорт{Автомобиль,Общественный,}Связь{Мобильный тел.,Интернет,}Еда,}"
              "Крупные{Квартплата,Кредит,}"
              "Дополнительные{Развлечения{Кино/театр,Литература,}Подарки,По дому,}"
              "}"
              "Личные{Литература,Техника,Одежда,}");
    EXPECT_TRUE(w.m_listView.m_updates.empty());
}

TEST(Structure, EdgeCasesOfTheNotation) {
    constexpr std::size_t npos = std::u16string::npos;
    struct Case {
        const char16_t* text;
        const char16_t* tree;
        std::size_t end;
    };
    const Case cases[] = {
        {u"A,B}", u"A,B,", 4},                // a group's description closed by "}"
        {u"A,}", u"A,", 3},                   // nothing stands before the "}"
        {u",}", u",", 2},                     // an empty name before "," is still an article
        {u"{}", u"{}", npos},                 // a group with an empty name and no children
        {u"X{}Y,", u"X{}Y,", npos},           // a sibling straight after the closing brace
        {u"A,B", u"A,", npos},                // text after the last delimiter is dropped
        {u"A}B,", u"A,", 2},                  // the "}" ends this group's part of the text
        {u"G{a,b", u"G{a,}", npos},           // an open group just ends the parse
        {u" x ,y/z.{}", u"y/z.{} x ,", npos}, // names are verbatim
        {u"", u"", npos},
    };
    for (const Case& c : cases) {
        test::CCoreWorld w;
        EXPECT_EQ(ParseStructure(w.Root(), c.text), c.end) << test::Utf8(c.text);
        EXPECT_EQ(test::Utf8(Spell(w.Root())), test::Utf8(c.tree)) << test::Utf8(c.text);
    }
}

} // namespace
} // namespace tamblero
