// Notes for the benchmarks: a document's every fifth entry in file order gets one of a few
// thousand texts, some with tags, as a user who writes down what the odd expense was for.
#pragma once

#include "model/CategoryNode.h"
#include "storage/VerdalonDoc.h"

#include <cstddef>
#include <string>

namespace tamblero::bench {

struct GivenNotes {
    std::size_t notes = 0;
    std::size_t units = 0; // of all their texts
};

inline GivenNotes GiveNotes(CExpenseGroup& root, CNoteTable& notes, std::size_t every = 5) {
    static const char16_t* const words[] = {u"обед с коллегами", u"подарок маме", u"Сочи",
                                            u"такси до вокзала", u"книги",        u"ремонт кухни",
                                            u"аптека",           u"бензин"};
    static const char16_t* const tags[] = {u"", u" #отпуск", u" #ремонт", u" #работа", u""};
    GivenNotes given;
    std::size_t n = 0;
    root.ForEachArticleBelow([&](CExpenseArticle& article) {
        for (auto& [day, list] : article.Days()) {
            for (int i = 0; i < list.GetCount(); ++i, ++n) {
                if (n % every != 0) {
                    continue;
                }
                std::u16string text = words[n % std::size(words)];
                text += u" №";
                for (const char c : std::to_string(n % 3001)) {
                    text += static_cast<char16_t>(c);
                }
                text += tags[n / every % std::size(tags)];
                list.SetNote(i, notes.Add(text));
                ++given.notes;
                given.units += text.size();
            }
        }
    });
    return given;
}

inline GivenNotes GiveNotes(CVerdalonDoc& doc, std::size_t every = 5) {
    return GiveNotes(*doc.GetRoot(), doc.Notes(), every);
}

} // namespace tamblero::bench
