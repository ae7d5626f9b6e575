// Rules give a row the article of the first rule whose words its description holds (in any
// case, within its amount range), and learn from the article the user gives a description.
#include "statement/Rules.h"

#include "StatementTestSupport.h"

#include <gtest/gtest.h>

namespace tamblero {
namespace {

constexpr ItemId kFood = 11;
constexpr ItemId kCafe = 12;
constexpr ItemId kTaxi = 13;

std::vector<std::u16string> Words(std::initializer_list<const char16_t*> words) {
    return {words.begin(), words.end()};
}

// Each row: a bank's description and the words a rule learns from it: folded, each once,
// without dates, times, sums, card digits or the punctuation around words.
TEST(StatementRules, WordsOfADescription) {
    const struct {
        const char16_t* description;
        std::vector<std::u16string> words;
    } cases[] = {
        {u"PYATEROCHKA 1234 MOSCOW RUS", Words({u"pyaterochka", u"moscow", u"rus"})},
        {u"Оплата «ЯНДЕКС.ЕДА» 31.12.2025 14:05 карта *1234",
         Words({u"оплата", u"яндекс.еда", u"карта"})},
        {u"Перевод 4276****1234, сумма 1 500,00 руб.", Words({u"перевод", u"сумма", u"руб"})},
        {u"Кафе — кафе №5 КАФЕ", Words({u"кафе"})},
        {u"12345 *6789 — 01/02", Words({})},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(RuleWords(c.description), c.words) << test::Utf8(c.description);
    }
}

// Each row: a description and an amount, and the article the rules give it: the first rule
// that holds wins; a range bounds the amount's size; no rule holding gives none.
TEST(StatementRules, FirstMatchWins) {
    const CRuleList rules({
        {Words({u"яндекс", u"такси"}), kTaxi, {}, {}},
        {Words({u"яндекс"}), kFood, std::nullopt, 999},
        {Words({u"яндекс"}), kCafe, {}, {}},
        {Words({u"strasse"}), kCafe, {}, {}},
    });
    const struct {
        const char16_t* description;
        Amount amount;
        ItemId article;
    } cases[] = {
        {u"ЯНДЕКС.ТАКСИ поездка", -450, kTaxi}, {u"Такси Яндекс", -450, kTaxi},
        {u"YANDEX яндекс.еда", -999, kFood},    {u"YANDEX яндекс.еда", -1000, kCafe},
        {u"Café STRAßE 5", -10, kCafe},         {u"Магнит", -10, kNoId},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(rules.Match(c.description, c.amount), c.article) << test::Utf8(c.description);
    }
}

// Giving a description an article proposes a rule of its words, none where the rules already
// give that article; the new rule goes before a broader one of another article, else last.
TEST(StatementRules, LearnFromTheUsersArticle) {
    CRuleList rules({{Words({u"яндекс"}), kFood, {}, {}}, {Words({u"магнит"}), kFood, {}, {}}});
    EXPECT_EQ(rules.Proposal(u"Яндекс Еда 31.12", -300, kFood), std::nullopt);
    EXPECT_EQ(rules.Proposal(u"12345", -300, kCafe), std::nullopt);
    const auto taxi = rules.Proposal(u"ЯНДЕКС ТАКСИ *1234", -300, kTaxi);
    ASSERT_TRUE(taxi.has_value());
    EXPECT_EQ(taxi->words, Words({u"яндекс", u"такси"}));
    EXPECT_EQ(rules.Add(*taxi), 0U);
    EXPECT_EQ(rules.Match(u"Яндекс такси 02.01", -500), kTaxi);
    EXPECT_EQ(rules.Match(u"Яндекс еда", -500), kFood);
    const auto cafe = rules.Proposal(u"Кофемания", -300, kCafe);
    ASSERT_TRUE(cafe.has_value());
    EXPECT_EQ(rules.Add(*cafe), 3U);
}

} // namespace
} // namespace tamblero
