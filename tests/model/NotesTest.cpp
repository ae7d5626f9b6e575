// A note is kept as one clean line, its tags are the "#" words of any alphabet, and a search
// finds a text in any case among all notes, also those added after the last search.
#include "model/Notes.h"

#include <gtest/gtest.h>

namespace tamblero {
namespace {

TEST(Notes, CleaningTagsAndCase) {
    EXPECT_EQ(CleanNote(u"  a\tb\r\nc\u2028 "), u"a b  c");
    EXPECT_EQ(CleanNote(u" \n "), u"");
    // Cut at the limit, never between the halves of a surrogate pair.
    const std::u16string pair = u"\U0001F600";
    const std::u16string longer = std::u16string(kMaxNoteLength - 1, u'a') + pair;
    EXPECT_EQ(CleanNote(longer), std::u16string(kMaxNoteLength - 1, u'a'));
    // Every break is found wherever it stands, in the runs of units looked at side by side
    // and in the units after the last run, and nothing else is taken for one.
    for (const char16_t c : {u'\t', u'\n', u'\v', u'\f', u'\r', u'\u2028', u'\u2029'}) {
        for (const std::size_t size : {std::size_t{9}, std::size_t{70}}) {
            for (std::size_t at = 0; at < size; ++at) {
                std::u16string text(size, u'я');
                text[at] = c;
                EXPECT_TRUE(HoldsBreak(text)) << int(c) << " at " << at << " of " << size;
            }
        }
    }
    const std::u16string nearly = u"\u0001\b\u000e\u001f\u2027\u202a \u0408\U0001F600 #tag";
    EXPECT_FALSE(HoldsBreak(nearly + nearly + nearly + nearly));

    EXPECT_EQ(NoteTags(u"#отпуск обед #Trip-2026, #отпуск a#b # #! (#ремонт_кухни)"),
              (std::vector<std::u16string>{u"отпуск", u"Trip-2026", u"ремонт_кухни"}));

    EXPECT_EQ(FoldCase(u"ОТПУСК Straße ΣΊΣΥΦΟΣ \U0001F600"), u"отпуск strasse σίσυφοσ \U0001F600");
}

// A search folds case fully, as Unicode does: a letter may match several, in either
// direction, and letters of other planes fold too.
TEST(Notes, SearchFoldsCaseFullyInEveryAlphabet) {
    struct Case {
        const char16_t* note;
        const char16_t* typed;
        bool found;
    };
    const Case cases[] = {
        {u"οδος", u"ΟΔΟΣ", true}, // the final sigma is a sigma
        {u"ΟΔΟΣ", u"οδος", true},
        {u"Straße 5", u"STRASSE", true}, // ß is ss
        {u"STRASSE", u"straße", true},
        {u"große Straße", u"SS", true},
        {u"ﬁlm", u"FILM", true},                   // a ligature is its letters
        {u"\U00010400 name", u"\U00010428", true}, // Deseret, past the 16-bit plane
        {u"Ёлка", u"ёЛКА", true},
        {u"KELVIN", u"\u212Aelvin", true}, // the Kelvin sign is a K
        {u"Страна", u"страсса", false},
        {u"Stra", u"straße", false}, // folded wider, the text is no longer there
        {u"ß", u"sss", false},
    };
    for (const Case& c : cases) {
        CNoteTable notes;
        const NoteKey key = notes.Add(c.note);
        CNoteSearch search(notes);
        EXPECT_EQ(search.Matching(c.typed)[key], c.found) << "row " << (&c - cases);
    }
}

TEST(Notes, SearchFindsEveryNoteHoldingTheTextInAnyCase) {
    CNoteTable notes;
    EXPECT_EQ(notes.Add(u""), kNoNote);
    const NoteKey lunch = notes.Add(u"Обед #Работа");
    const NoteKey trip = notes.Add(u"#отпуск Сочи");
    EXPECT_EQ(notes.Text(trip), u"#отпуск Сочи");
    EXPECT_EQ(notes.Text(99), u"");

    CNoteSearch search(notes);
    EXPECT_EQ(search.Matching(u"#РАБОТА"), (std::vector<bool>{false, true, false}));
    EXPECT_EQ(search.Matching(u""), (std::vector<bool>{false, true, true}));
    // No match runs from the end of one note into the start of the next.
    EXPECT_EQ(search.Matching(u"работа#"), (std::vector<bool>{false, false, false}));
    const NoteKey later = notes.Add(u"сочи, снова");
    const std::vector<bool> sochi = search.Matching(u"СОЧИ");
    EXPECT_EQ(sochi, (std::vector<bool>{false, false, true, true}));
    EXPECT_EQ(std::vector<NoteKey>({lunch, trip, later}), std::vector<NoteKey>({1, 2, 3}));
}

} // namespace
} // namespace tamblero
