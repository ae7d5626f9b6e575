// Notes live in the block after the tree: a file without them is what the tree alone writes,
// a reader that stops after the tree reads a file with them as before, what this program
// does not know is written back, and a block it cannot read is damage.
#include "model/CategoryNode.h"
#include "storage/Archive.h"
#include "storage/DataFile.h"
#include "storage/ExtensionBlock.h"
#include "tests/support/CoreWorld.h"
#include "tests/support/Describe.h"
#include "tests/support/FileBytes.h"
#include "tests/support/Files.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace tamblero {
namespace {

// The notes of every entry, in the order the tree stores them: "-" for none.
std::string NotesOf(const CVerdalonDoc& doc) {
    std::u16string out;
    doc.GetRoot()->ForEachArticleBelow([&](const CExpenseArticle& article) {
        for (const auto& [day, list] : article.Days()) {
            for (const CExpenseEntry& entry : list.Entries()) {
                const std::u16string_view text = doc.Notes().Text(entry.m_nNote);
                out += text.empty() ? u"-" : text;
                out += u'|';
            }
        }
    });
    return {out.begin(), out.end()}; // the tests' notes are ASCII
}

// Three entries on two articles, the second and third with notes.
void Fill(test::CCoreWorld& w, bool withNotes) {
    CNoteTable& notes = w.m_doc.Notes();
    CExpenseArticle* food = w.Root().AddGroup(u"g")->AddArticle(u"food");
    CExpenseArticle* trip = w.Root().AddArticle(u"trip");
    food->AddEntry(148000, 5);
    food->AddEntry(148001, 7, nullptr, withNotes ? notes.Add(u"lunch #work") : kNoNote);
    trip->AddEntry(148002, 900, nullptr, withNotes ? notes.Add(u"#trip") : kNoNote);
    w.m_doc.CompleteIds(); // as the commands give every new item its id
}

// The file of the document's accounts and tree alone, as the layout before the block was.
std::vector<std::uint8_t> TreeOnly(test::CCoreWorld& w) {
    return WriteDataFile(w.m_doc.Accounts(), w.Root());
}

TEST(NotesFile, OnlyABlockAfterTheTreeTellsAFileWithNotesFromOneWithout) {
    test::CCoreWorld plain;
    Fill(plain, false);
    test::CCoreWorld noted;
    Fill(noted, true);
    const std::vector<std::uint8_t> without = TreeOnly(plain);
    const std::vector<std::uint8_t> with = noted.m_doc.Store();

    ASSERT_GT(with.size(), without.size());
    EXPECT_TRUE(std::equal(without.begin(), without.end(), with.begin()));
    EXPECT_TRUE(std::equal(kExtensionMarker.begin(), kExtensionMarker.end(),
                           with.begin() + static_cast<std::ptrdiff_t>(without.size())));

    test::CCoreWorld copy;
    std::string error;
    ASSERT_TRUE(copy.m_doc.Load(with, error)) << error;
    EXPECT_EQ(NotesOf(copy.m_doc), "-|lunch #work|#trip|");
    EXPECT_EQ(copy.m_doc.Store(), with);

    // A reader that stops after the tree sees what follows as bytes it lets be, as this
    // reader does with a marker it does not recognise: the same tree, no notes.
    std::vector<std::uint8_t> older = with;
    older[without.size()] ^= 0xFF;
    test::CCoreWorld old;
    ASSERT_TRUE(old.m_doc.Load(older, error)) << error;
    EXPECT_EQ(test::Describe(old.m_doc), test::Describe(plain.m_doc));
    EXPECT_EQ(NotesOf(old.m_doc), "-|-|-|");
    EXPECT_EQ(old.m_doc.Store(), plain.m_doc.Store());
}

// The block of the document Fill makes without notes: its tree, then the sections given.
test::CFileBytes Concat(std::initializer_list<test::CFileBytes> parts) {
    test::CFileBytes all;
    for (const test::CFileBytes& p : parts) {
        all.Append(p);
    }
    return all;
}

test::CFileBytes Marker() {
    test::CFileBytes f;
    for (const std::uint8_t b : kExtensionMarker) {
        f.U8(b);
    }
    return f;
}

test::CFileBytes Block(std::initializer_list<test::CFileBytes> sections) {
    const test::CFileBytes body = Concat(sections);
    return Marker()
        .U32(kExtensionVersion)
        .U32(static_cast<std::uint32_t>(body.Bytes().size()))
        .Append(body);
}

test::CFileBytes Section(std::uint32_t id, const test::CFileBytes& payload) {
    return test::CFileBytes()
        .U32(id)
        .U32(static_cast<std::uint32_t>(payload.Bytes().size()))
        .Append(payload);
}

// The notes section: the count, each note's place and length, then all their units.
test::CFileBytes Notes(std::uint32_t count,
                       std::initializer_list<std::pair<std::uint32_t, std::u16string>> notes) {
    test::CFileBytes payload;
    payload.U32(count);
    for (const auto& [skipped, text] : notes) {
        payload.U32(skipped).U16(static_cast<std::uint16_t>(text.size()));
    }
    for (const auto& note : notes) {
        for (const char16_t c : note.second) {
            payload.U16(c);
        }
    }
    return Section(kNotesSection, payload);
}

// The movements section of one movement.
test::CFileBytes Movements(std::uint32_t count, std::uint8_t kind, std::uint32_t from,
                           std::uint32_t to, const std::u16string& gone = {}) {
    test::CFileBytes payload;
    payload.U32(count).U32(148000).U8(kind).U32(from).U32(to).U32(5);
    const std::u16string note;
    for (const std::u16string* text : {&note, &gone}) {
        payload.U8(0xFF).U16(0xFFFE).U8(static_cast<std::uint8_t>(text->size()));
        for (const char16_t c : *text) {
            payload.U16(c);
        }
    }
    return Section(kMovementsSection, payload);
}

TEST(NotesFile, MovementsComeBackWithTheirAccountsAndADeletedSidesName) {
    test::CCoreWorld w;
    Fill(w, true);
    CAccount* card = w.m_doc.Accounts().CreateAccount();
    CAccount* cash = w.m_doc.Accounts().CreateAccount();
    w.m_doc.Movements().Insert(0, {148000, nullptr, card, 700, false, u"зарплата", {}, kNoId, {}});
    w.m_doc.Movements().Insert(1, {148001, card, cash, -5, true, {}, {}, kNoId, {}});
    w.m_doc.Movements().Insert(2, {148002, nullptr, cash, 9, true, {}, u"Старый", kNoId, {}});
    w.m_doc.CompleteIds();
    const std::vector<std::uint8_t> bytes = w.m_doc.Store();

    test::CCoreWorld copy;
    std::string error;
    ASSERT_TRUE(copy.m_doc.Load(bytes, error)) << error;
    ASSERT_EQ(copy.m_doc.Movements().GetCount(), 3);
    CAccount* card2 = copy.m_doc.Accounts().GetAt(0);
    CAccount* cash2 = copy.m_doc.Accounts().GetAt(1);
    EXPECT_EQ(copy.m_doc.Movements().GetAt(0),
              (CMovement{148000, nullptr, card2, 700, false, u"зарплата", {}, kNoId, {}}));
    EXPECT_EQ(copy.m_doc.Movements().GetAt(1),
              (CMovement{148001, card2, cash2, -5, true, {}, {}, kNoId, {}}));
    EXPECT_EQ(copy.m_doc.Movements().GetAt(2),
              (CMovement{148002, nullptr, cash2, 9, true, {}, u"Старый", kNoId, {}}));
    EXPECT_EQ(NotesOf(copy.m_doc), "-|lunch #work|#trip|");
    EXPECT_EQ(copy.m_doc.Store(), bytes);
    // The notes end the file, read straight from it, and the movements come before them.
    test::CTempDir dir;
    ASSERT_TRUE(test::WriteBytes(dir.Path() / "QZData.dat", bytes));
    test::CCoreWorld fromFile;
    Reason reason;
    ASSERT_EQ(fromFile.m_doc.LoadFile(dir.Path() / "QZData.dat", reason), FileLoad::Loaded);
    EXPECT_EQ(fromFile.m_doc.Movements().Items().size(), 3U);
    EXPECT_EQ(fromFile.m_doc.Store(), bytes);
}

// A deleted account's name the version before kept as it was, a tab and a line break
// included, is read onto one line: the file is no damage.
TEST(NotesFile, ADeletedSidesNameOnSeveralLinesIsReadOntoOne) {
    test::CCoreWorld plain;
    Fill(plain, false);
    plain.m_doc.Accounts().CreateAccount();
    std::vector<std::uint8_t> bytes = TreeOnly(plain);
    const test::CFileBytes block = Block({Movements(1, 1, 0, 0xFFFFFFFF, u"Visa\tGold\nСтарая")});
    bytes.insert(bytes.end(), block.Bytes().begin(), block.Bytes().end());
    test::CCoreWorld w;
    std::string error;
    ASSERT_TRUE(w.m_doc.Load(bytes, error)) << error;
    EXPECT_EQ(w.m_doc.Movements().GetAt(0).m_strGoneName, u"Visa Gold Старая");
}

TEST(NotesFile, ASectionOfUnknownIdIsWrittenBackAfterTheNotes) {
    test::CCoreWorld plain;
    Fill(plain, false);
    std::vector<std::uint8_t> bytes = TreeOnly(plain);
    const test::CFileBytes unknown = test::CFileBytes().U8(1).U8(2).U8(3);
    const test::CFileBytes block = Block({Section(77, unknown), Notes(1, {{2, u"x"}})});
    bytes.insert(bytes.end(), block.Bytes().begin(), block.Bytes().end());

    test::CCoreWorld copy;
    std::string error;
    ASSERT_TRUE(copy.m_doc.Load(bytes, error)) << error;
    EXPECT_EQ(NotesOf(copy.m_doc), "-|-|x|");
    const std::vector<std::uint8_t> again = copy.m_doc.Store();
    const test::CFileBytes expected = Concat({Notes(1, {{2, u"x"}}), Section(77, unknown)});
    ASSERT_GT(again.size(), expected.Bytes().size());
    EXPECT_TRUE(std::equal(expected.Bytes().begin(), expected.Bytes().end(),
                           again.end() - static_cast<std::ptrdiff_t>(expected.Bytes().size())));
}

TEST(NotesFile, ABlockThatCannotBeReadIsDamage) {
    // Each is damage, the same read from memory as from the file, named by its own fault.
    constexpr std::uint32_t kNone = 0xFFFFFFFF;
    constexpr const char* kStrange = "a movement the program never records";
    test::CCoreWorld plain;
    Fill(plain, false);
    plain.m_doc.Accounts().CreateAccount();
    plain.m_doc.Accounts().CreateAccount();
    const std::vector<std::uint8_t> tree = TreeOnly(plain);
    struct Case {
        const char* what;
        test::CFileBytes tail;
        const char* reason = nullptr; // where set, the words of the refusal
    };
    test::CFileBytes wrongVersion = Block({});
    wrongVersion.Bytes()[8] = 2;
    test::CFileBytes cut = Block({Notes(1, {{0, u"abc"}})});
    cut.Bytes().pop_back();
    test::CFileBytes longer = Block({});
    longer.U8(0);
    const Case cases[] = {
        {"marker alone", Marker()},
        {"another version", wrongVersion},
        {"cut short", cut},
        {"bytes past its length", longer},
        {"a place past the entries", Block({Notes(1, {{3, u"a"}})})},
        {"more notes than entries", Block({Notes(2, {{2, u"a"}, {0, u"b"}})})},
        {"an empty note", Block({Notes(1, {{0, u""}})}), "an empty note"},
        {"an empty note after another", Block({Notes(2, {{0, u"abc"}, {0, u""}})}),
         "an empty note"},
        {"a line break", Block({Notes(1, {{0, u"a\nb"}})})},
        {"a blank at the end", Block({Notes(1, {{0, u"a "}})})},
        {"a note too long", Block({Notes(1, {{0, std::u16string(1001, u'a')}})}),
         "a note longer than 1000 units"},
        {"more notes counted than held", Block({Notes(0x7FFFFFFF, {{0, u"a"}})})},
        // The record the count adds is read from the text: "в" is 1074 units long.
        {"a count one above the records", Block({Notes(2, {{0, u"ябвгд"}})}),
         "more notes counted than the section holds"},
        {"a count one above two records", Block({Notes(3, {{0, u"a"}, {0, u"abcdefgh"}})}),
         "more notes counted than the section holds"},
        {"two notes sections", Block({Notes(1, {{0, u"a"}}), Notes(1, {{1, u"b"}})})},
        {"bytes after the notes", Block({Section(1, Concat({test::CFileBytes().U32(0).U8(0)}))})},
        {"text longer than the lengths say",
         Block({Section(1, test::CFileBytes().U32(1).U32(0).U16(1).U16(u'a').U16(u'b'))})},
        {"a movement of an account past the list", Block({Movements(1, 0, kNone, 2)})},
        {"a deposit from an account", Block({Movements(1, 0, 0, 1)})},
        {"a deposit to no account", Block({Movements(1, 0, kNone, kNone)})},
        {"a transfer without either side", Block({Movements(1, 1, kNone, kNone, u"x")})},
        {"a transfer to its own source", Block({Movements(1, 1, 1, 1)})},
        {"a movement of an unknown kind", Block({Movements(1, 2, kNone, 0)})},
        {"a transfer of two accounts naming a deleted one",
         Block({Movements(1, 1, 0, 1, u"Старый")}), kStrange},
        {"a deposit naming a deleted account", Block({Movements(1, 0, kNone, 0, u"Старый")}),
         kStrange},
        {"more movements counted than held", Block({Movements(0x10000000, 0, kNone, 0)})},
        {"two movements sections", Block({Movements(1, 0, kNone, 0), Movements(1, 0, kNone, 0)})},
    };
    const test::CTempDir dir;
    const std::filesystem::path path = dir.Path() / "QZData.dat";
    for (const Case& c : cases) {
        std::vector<std::uint8_t> bytes = tree;
        bytes.insert(bytes.end(), c.tail.Bytes().begin(), c.tail.Bytes().end());
        test::CCoreWorld w;
        std::string error;
        EXPECT_FALSE(w.m_doc.Load(bytes, error)) << c.what;
        if (c.reason != nullptr) {
            EXPECT_EQ(error, c.reason) << c.what;
        }
        ASSERT_TRUE(test::WriteBytes(path, bytes));
        test::CCoreWorld fromFile;
        Reason reason;
        EXPECT_EQ(fromFile.m_doc.LoadFile(path, reason), FileLoad::Damaged) << c.what;
        EXPECT_EQ(reason.english, error) << c.what;
    }
}

// Notes read from bytes in memory arrive in runs of whole notes, each note checked against
// its own length: 400 of 100 units fill more than a run, 10 of 3 follow in the next.
TEST(NotesFile, NotesReadInRunsFromMemoryAreEachCheckedAgainstTheirOwnLengths) {
    constexpr int kLong = 400;
    constexpr int kShort = 10;
    const auto fileWith = [](int odd, const std::u16string& oddText) {
        test::CCoreWorld w;
        CExpenseArticle* food = w.Root().AddArticle(u"food");
        for (int i = 0; i < kLong + kShort; ++i) {
            std::u16string text(i < kLong ? 100U : 3U, static_cast<char16_t>(u'a' + i % 26));
            food->AddEntry(148000, i + 1, nullptr, w.m_doc.Notes().Add(i == odd ? oddText : text));
        }
        w.m_doc.CompleteIds();
        return w.m_doc.Store();
    };
    // Where the note of this place would be, written with a blank where the text has none.
    const std::u16string shortBlank = u"ab ";
    const std::u16string longBlank = u" " + std::u16string(99, u'q');
    struct Case {
        const char* what;
        int place;
        std::u16string text;
    };
    const Case cases[] = {
        {"the first long note", 0, longBlank},
        {"the last long note of the first run", 327, longBlank},
        {"the first long note of the second run", 328, longBlank},
        {"the last long note", kLong - 1, longBlank},
        {"the first short note", kLong, shortBlank},
        {"a short note inside", kLong + 4, shortBlank},
        {"the last short note", kLong + kShort - 1, shortBlank},
    };
    const std::vector<std::uint8_t> clean = fileWith(-1, {});
    test::CCoreWorld whole;
    std::string error;
    ASSERT_TRUE(whole.m_doc.Load(clean, error)) << error;
    EXPECT_EQ(whole.m_doc.Store(), clean);
    EXPECT_EQ(whole.m_doc.Notes().Text(kLong + kShort), u"ttt");
    for (const Case& c : cases) {
        // The notes' lengths alike, the blank put in by hand: the program keeps none.
        std::vector<std::uint8_t> bytes = fileWith(c.place, std::u16string(c.text.size(), u'x'));
        const std::size_t textStart = bytes.size() - 2 * (kLong * 100 + kShort * 3);
        std::size_t at = textStart;
        for (int i = 0; i < c.place; ++i) {
            at += 2 * (i < kLong ? 100U : 3U);
        }
        for (const char16_t unit : c.text) {
            bytes[at++] = static_cast<std::uint8_t>(unit);
            bytes[at++] = static_cast<std::uint8_t>(unit >> 8U);
        }
        test::CCoreWorld w;
        EXPECT_FALSE(w.m_doc.Load(bytes, error)) << c.what;
        EXPECT_EQ(error, "a note with a line break or blanks at its ends") << c.what;
    }
}

TEST(NotesFile, TextBeyondTheReadAheadGoesFromTheFileToTheTableAndIsChecked) {
    test::CCoreWorld w;
    CExpenseArticle* food = w.Root().AddArticle(u"food");
    for (int i = 0; i < 6000; ++i) {
        const std::u16string text(static_cast<std::size_t>(60 + i % 40),
                                  static_cast<char16_t>(u'a' + i % 26));
        food->AddEntry(DayNumber{148000} + static_cast<DayNumber>(i / 7), i, nullptr,
                       i % 3 != 0 ? w.m_doc.Notes().Add(text) : kNoNote);
    }
    w.m_doc.CompleteIds();
    const test::CTempDir dir;
    const std::filesystem::path path = dir.Path() / "QZData.dat";
    // The text ends the file, where it is read over the tree's bytes; or a section follows
    // it, and the reading goes on past the text it did not buffer.
    const KeptSection later{77, {1, 2, 3}};
    for (const std::size_t kept : {std::size_t{0}, std::size_t{1}}) {
        SCOPED_TRACE(kept);
        const std::vector<std::uint8_t> bytes = WriteDataFile(
            w.m_doc.Accounts(), w.Root(), w.m_doc.Notes(), {}, {&later, kept}, &w.m_doc.Ids());
        ASSERT_GT(bytes.size(), 2 * CArchiveBuffer::kReadAhead);
        ASSERT_TRUE(test::WriteBytes(path, bytes));
        test::CCoreWorld copy;
        Reason error;
        ASSERT_EQ(copy.m_doc.LoadFile(path, error), FileLoad::Loaded) << error.english;
        EXPECT_EQ(copy.m_doc.Store(), bytes);
        // The table that took over the file's memory takes more notes.
        copy.Root().AddArticle(u"more")->AddEntry(148000, 1, nullptr, copy.m_doc.Notes().Add(u"x"));
        EXPECT_EQ(copy.m_doc.Notes().Text(copy.m_doc.Notes().Count()), u"x");
        EXPECT_EQ(copy.m_doc.Notes().Text(1), w.m_doc.Notes().Text(1));

        // The last note's last unit a line break: damage.
        std::vector<std::uint8_t> broken = bytes;
        broken[bytes.size() - kept * (8 + later.payload.size()) - 2] = '\n';
        ASSERT_TRUE(test::WriteBytes(path, broken));
        test::CCoreWorld damaged;
        EXPECT_EQ(damaged.m_doc.LoadFile(path, error), FileLoad::Damaged);
        EXPECT_EQ(error.english, "a note with a line break or blanks at its ends");
    }
}

} // namespace
} // namespace tamblero
