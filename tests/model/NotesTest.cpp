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
    EXPECT_TRUE(IsCleanNote(u"a b"));
    EXPECT_FALSE(IsCleanNote(u"a\nb"));

    EXPECT_EQ(NoteTags(u"#отпуск обед #Trip-2026, #отпуск a#b # #! (#ремонт_кухни)"),
              (std::vector<std::u16string>{u"отпуск", u"Trip-2026", u"ремонт_кухни"}));

    EXPECT_EQ(FoldCase(u"ОТПУСК Straße ΣΊΣΥΦΟΣ \U0001F600"), u"отпуск straße σίσυφοσ \U0001F600");
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
