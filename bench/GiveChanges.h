// Identities and changes for the benchmarks: a document whose expenses were recorded on a
// device day by day, and a copy of it changed on another device, as a laptop and a phone that
// each recorded for a while before their copies met.
#pragma once

#include "app/core/DocumentChanges.h"
#include "model/CategoryNode.h"
#include "storage/VerdalonDoc.h"

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <tuple>
#include <vector>

namespace tamblero::bench {

// Every expense gets an id of the device, numbered in the order a user records them: day by
// day, the day's articles in tree order. What a file written by a device holds.
inline void GiveRecordedIds(CVerdalonDoc& doc, DeviceId device) {
    const std::uint32_t slot = doc.Ids().SlotFor(device).value_or(0);
    struct Place {
        DayNumber day;
        std::uint32_t article;
        CEntryList* list;
    };
    std::vector<Place> places;
    std::uint32_t article = 0;
    doc.GetRoot()->ForEachArticleBelow([&](CExpenseArticle& a) {
        for (const auto& [day, list] : std::as_const(a).Days()) {
            places.push_back({day, article, const_cast<CEntryList*>(&list)});
        }
        ++article;
    });
    std::sort(places.begin(), places.end(), [](const Place& x, const Place& y) {
        return std::tie(x.day, x.article) < std::tie(y.day, y.article);
    });
    std::uint64_t seq = 1;
    for (const Place& p : places) {
        for (int i = 0; i < p.list->GetCount(); ++i) {
            p.list->SetId(i, MakeItemId(slot, seq++));
        }
    }
    doc.CompleteIds();
}

// Makes n changes as a user would on the given device: six in ten new expenses, two in ten
// notes given to recorded ones, two in ten recorded ones taken back. Without questions: new
// expenses name no account, and refunds only raise balances.
inline void MakeChanges(CVerdalonDoc& doc, DeviceId device, std::uint32_t seed, int n) {
    doc.Ids().SetThisDevice(device);
    std::mt19937 random(seed);
    std::vector<CExpenseArticle*> articles;
    doc.GetRoot()->ForEachArticleBelow([&](CExpenseArticle& a) { articles.push_back(&a); });
    const DaySpan span = doc.GetDaySpan();
    for (int i = 0; i < n; ++i) {
        CExpenseArticle& a = *articles[random() % articles.size()];
        const auto day =
            static_cast<DayNumber>(span.first + random() % (span.last - span.first + 1));
        const auto roll = static_cast<std::uint32_t>(random() % 10);
        const CEntryList* list = std::as_const(a).FindDay(day);
        if (roll < 6 || list == nullptr || list->GetCount() == 0) {
            AddExpense(doc, a, {day, static_cast<Amount>(random() % 5000), -1, {}});
        } else if (roll < 8) {
            SetNote(doc, a, day, list->GetAt(0), i % 2 == 0 ? u"изменено" : u"ещё раз");
        } else {
            UndoExpense(doc, a, day, list->GetAt(0), 0);
        }
    }
}

} // namespace tamblero::bench
