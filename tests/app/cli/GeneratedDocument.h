// Random documents for the round-trip and journal tests: groups and articles a few levels deep
// whose names hold what CSV and journals treat specially, accounts likewise, and entries over
// the whole range of days and amounts. One seed, one document.
#pragma once

#include "model/CategoryNode.h"
#include "storage/VerdalonDoc.h"

#include <algorithm>
#include <random>

namespace tamblero::test {

// No name is empty or holds " / ": a CSV category path could not bring those back.
inline const std::vector<std::u16string> kTrickyNames{
    u"Еда",    u"a,b",   u"say \"hi\"", u"two\nlines", u"cr\r",  u"x:y",   u"a  b",    u";lead",
    u"trail ", u" lead", u"tab\there",  u"(par)",      u"*star", u"!bang", u"#hash",   u"Unknown",
    u"[br]",   u"a | b", u"Кино/театр", u"\U0001D11E", u"x:y:",  u"  ",    u"Expenses"};

inline void GenerateDocument(CVerdalonDoc& doc, std::uint32_t seed) {
    std::mt19937 random(seed);
    const auto below = [&](std::uint32_t n) { return static_cast<std::uint32_t>(random() % n); };
    const std::uint32_t accounts = below(5);
    const auto nameCount = static_cast<std::uint32_t>(kTrickyNames.size());
    for (std::uint32_t i = 0; i < accounts; ++i) {
        doc.Accounts().CreateAccount(&kTrickyNames[below(nameCount)]);
    }
    const auto fill = [&](CExpenseArticle& article) {
        for (std::uint32_t n = below(6); n > 0; --n) {
            const std::uint32_t pick = below(8);
            const DayNumber day = pick == 0 ? 0 : pick == 1 ? kLastValidDay : 146000 + below(3000);
            const std::uint32_t kind = below(10);
            const Amount amount = kind == 0   ? INT32_MIN
                                  : kind == 1 ? INT32_MAX
                                              : static_cast<Amount>(below(2000)) - 500;
            const std::uint32_t account = below(accounts + 1);
            article.Days().GetOrCreate(day).Add(
                account < accounts ? doc.Accounts().GetAt(static_cast<int>(account)) : nullptr,
                amount);
            doc.RecordDay(day);
        }
    };
    // Names differ among the groups and among the articles of one parent, which is what a
    // path tells apart; a group and an article may share one.
    const auto build = [&](auto& self, CExpenseGroup& group, int depth) -> void {
        std::vector<std::u16string> names = kTrickyNames;
        std::shuffle(names.begin(), names.end(), random);
        for (std::uint32_t i = 0, n = depth < 3 ? below(3) : 0; i < n; ++i) {
            group.AppendLoaded(std::make_unique<CExpenseGroup>(names[i], &group));
            self(self, *group.Groups().back(), depth + 1);
        }
        std::shuffle(names.begin(), names.end(), random);
        for (std::uint32_t i = 0, n = below(4); i < n; ++i) {
            group.AppendLoaded(std::make_unique<CExpenseArticle>(names[i], &group));
            fill(*group.Articles().back());
        }
    };
    build(build, *doc.GetRoot(), 0);
}

} // namespace tamblero::test
