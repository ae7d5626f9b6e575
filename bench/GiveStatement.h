// A bank's statement for the benchmarks, and the rules that give its rows their articles.
#pragma once

#include "model/CategoryNode.h"
#include "period/DayNumber.h"
#include "statement/Rules.h"
#include "storage/VerdalonDoc.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace tamblero::bench {

// A bank's statement of 10,000 QIF operations, for both benchmarks: days over the document's,
// amounts of 1 to 5,000 whole units, a third of them naming one of the 200 rules' words.
inline std::string StatementOf10000(const CVerdalonDoc& doc, CRuleList& rules) {
    std::vector<ItemId> articles;
    doc.GetRoot()->ForEachArticleBelow(
        [&](const CExpenseArticle& article) { articles.push_back(article.m_nId); });
    std::mt19937 random(7);
    const auto below = [&](std::uint32_t n) { return static_cast<std::uint32_t>(random() % n); };
    for (std::uint32_t n = 0; n < 200; ++n) {
        rules.Add({{u"магазин" + std::u16string(1 + n % 9, u'б')},
                   articles[below(static_cast<std::uint32_t>(articles.size()))],
                   {},
                   {}});
    }
    const DaySpan span = doc.GetDaySpan();
    std::string qif = "!Type:Bank\n";
    for (int n = 0; n < 10000; ++n) {
        const DayNumber day = span.first + static_cast<DayNumber>(below(static_cast<std::uint32_t>(
                                               std::max<DayNumber>(1, span.last - span.first))));
        const CalendarDate date = DateFromDayNumber(day);
        char line[160];
        std::snprintf(line, sizeof line, "D%02d.%02d.%04d\nT-%u.%02u\nPМАГАЗИН %s карта *1234\n^\n",
                      date.day, date.month, date.year, 1 + below(5000), below(100),
                      n % 3 == 0 ? "б" : "Пятёрочка");
        qif += line;
    }
    return qif;
}

} // namespace tamblero::bench
