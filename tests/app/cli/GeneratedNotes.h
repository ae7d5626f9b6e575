// Notes for the generated documents: texts that CSV and journals treat specially, tags among
// them, on a random part of the entries. One seed, one choice.
#pragma once

#include "model/CategoryNode.h"
#include "model/Notes.h"
#include "storage/VerdalonDoc.h"

#include <random>
#include <string>
#include <vector>

namespace tamblero::test {

// Each text before cleaning; those that clean to nothing stay without a note.
inline const std::vector<std::u16string> kTrickyNotes{
    u"обед с коллегами",
    u"a,b \"quoted\"",
    u"two\nlines\r\nand a\ttab",
    u"; starts a comment",
    u"mid; comment: tag:",
    u"*star",
    u"!bang",
    u"(code) x",
    u"a | b",
    u"#отпуск #Отпуск #семья-2024 #date #date2 #_x #",
    u"#",
    u"кофе #отпуск, #work_trip.",
    u"  ",
    u"x  y\u3000\u3000z\u00A0",
    u"\u2028sep\u0085\x7F\x01",
    u"\U0001D11E#\U0001D11E",
    std::u16string(999, u'я') + u"\U0001D11E",
    std::u16string(1200, u'w'),
};

// Gives about half of the document's entries a note of the table, cleaned as the dialog
// cleans what is typed.
inline void AddNotes(CVerdalonDoc& doc, std::uint32_t seed,
                     const std::vector<std::u16string>& texts = kTrickyNotes) {
    std::mt19937 random(seed);
    doc.GetRoot()->ForEachArticleBelow([&](CExpenseArticle& article) {
        for (auto& [day, list] : article.Days()) {
            for (int i = 0; i < list.GetCount(); ++i) {
                if (random() % 2 == 0) {
                    list.SetNote(i, doc.Notes().Add(CleanNote(texts[random() % texts.size()])));
                }
            }
        }
    });
}

} // namespace tamblero::test
