// The words on expenses: every note's text, found by the key its entry holds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tamblero {

// An entry's note; kNoNote for none. Keys are dealt out by one CNoteTable and mean
// nothing outside it.
using NoteKey = std::uint32_t;
inline constexpr NoteKey kNoNote = 0;
// The longest note, in UTF-16 units: one line of a dialog's field.
inline constexpr std::size_t kMaxNoteLength = 1000;

// The note as it may be kept: each line break and tab a blank, cut to kMaxNoteLength
// (never inside a surrogate pair), blanks at the ends dropped. Empty means no note.
[[nodiscard]] std::u16string CleanNote(std::u16string_view text);
// The text with each line break and tab a blank, nothing else changed: a name kept where
// only one line is read back.
[[nodiscard]] std::u16string OnOneLine(std::u16string_view text);
// Whether the text holds a line break or a tab, which a note never does.
[[nodiscard]] bool HoldsBreak(std::u16string_view text);

// The tags of a note in their order, each once: the words that begin with "#", without
// it, a word running over letters, digits, "_" and "-" of any alphabet. "#" alone, or
// before anything else, is no tag.
[[nodiscard]] std::vector<std::u16string> NoteTags(std::u16string_view note);

// The text in a form where case makes no difference, in any alphabet: Unicode's full case
// folding ("Straße" and "STRASSE" both "strasse", "ΟΔΟΣ" and "οδος" both "οδοσ"). A letter
// may fold to more units than it takes, so places in it are not places in the text.
[[nodiscard]] std::u16string FoldCase(std::u16string_view text);
// Appends the text folded as FoldCase folds it.
void AppendFolded(std::u16string& out, std::u16string_view text);

// Whether each of the notes of these lengths, one after another in the text, is one
// CleanNote would keep as it is.
[[nodiscard]] bool AllClean(std::u16string_view text, std::span<const std::uint16_t> lengths);

// Frees what std::malloc gave.
struct CFreeMalloced {
    void operator()(void* p) const noexcept { std::free(p); }
};
// Units in a block of std::malloc's, so that a reader can hand over the memory it read
// them into.
using MallocedUnits = std::unique_ptr<char16_t[], CFreeMalloced>;

// Every note of a document, each appended once and kept while the table lives: an undone
// change can bring back the note of its time. All texts lie in one buffer, so a million
// notes cost their characters and four bytes each.
class CNoteTable final {
public:
    CNoteTable() = default;
    CNoteTable(CNoteTable&& other) noexcept;
    CNoteTable& operator=(CNoteTable&& other) noexcept;
    CNoteTable(const CNoteTable&) = delete;
    CNoteTable& operator=(const CNoteTable&) = delete;
    ~CNoteTable() = default;

    // The key of a new note with this text, which must be clean (CleanNote); kNoNote for
    // an empty one.
    NoteKey Add(std::u16string_view text);
    // Room for notes of these lengths (each at least one, `units` in all) after the others,
    // keys following on: all their units, one note after another, unset, to be filled in
    // place.
    [[nodiscard]] std::span<char16_t> AppendAll(std::span<const std::uint16_t> lengths,
                                                std::size_t units);
    // Every note replaced with notes of these lengths (each at least one, `units` in all),
    // keys from 1, whose units are those the block holds, taken over: the notes stay in
    // the memory a load read them into.
    void Adopt(MallocedUnits text, std::span<const std::uint16_t> lengths, std::size_t units);
    // The note's text; empty for kNoNote and for keys this table never dealt out.
    [[nodiscard]] std::u16string_view Text(NoteKey key) const;
    // The highest key dealt out; keys run 1 .. Count().
    [[nodiscard]] NoteKey Count() const { return static_cast<NoteKey>(m_ends.size()); }

private:
    // Room for `more` units after the others: a few reallocations as the notes grow.
    void Reserve(std::size_t more);
    void AppendEnds(std::span<const std::uint16_t> lengths);

    MallocedUnits m_chars; // m_nChars units in room for m_nRoom
    std::size_t m_nChars = 0;
    std::size_t m_nRoom = 0;
    // Note k ends at m_ends[k - 1] and begins where note k - 1 ends (note 1 at 0): empty,
    // as a table moved from is, holds no note.
    std::vector<std::uint32_t> m_ends;

    [[nodiscard]] std::uint32_t Start(NoteKey key) const { return key > 1 ? m_ends[key - 2] : 0; }
};

// The keys whose note holds a text, for finding expenses by what they were. The notes are
// folded once, and the part added since the last search on the next one.
class CNoteSearch final {
public:
    explicit CNoteSearch(const CNoteTable& notes) : m_notes(notes) {}
    // Element k tells whether note k contains the text, case aside; element 0 (no note) is
    // false. An empty text matches every note, and folds none.
    [[nodiscard]] std::vector<bool> Matching(std::u16string_view text);
    // Folds the notes added since the last search, which the next one then need not: for a
    // moment the user does not wait on.
    void Prepare();

private:
    const CNoteTable& m_notes;
    std::u16string m_folded;              // the notes folded, one after another
    std::vector<std::uint32_t> m_ends{0}; // note k is m_folded[m_ends[k - 1], m_ends[k])
};

} // namespace tamblero
