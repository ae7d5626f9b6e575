#include "model/Notes.h"

#include <unicode/stringoptions.h>
#include <unicode/ustring.h>

#include <algorithm>
#include <array>
#include <clocale>
#include <cstring>
#include <cwctype>
#include <locale.h>
#include <new>
#include <string.h>

namespace tamblero {

namespace {

bool IsHighSurrogate(char16_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLowSurrogate(char16_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

// The letters of every alphabet, whatever the process's own locale says.
locale_t UnicodeLocale() {
    static const locale_t locale = [] {
        locale_t l = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
        return l != static_cast<locale_t>(nullptr) ? l : duplocale(LC_GLOBAL_LOCALE);
    }();
    return locale;
}

// The code point at i and how many units it takes.
std::pair<char32_t, std::size_t> CodePointAt(std::u16string_view text, std::size_t i) {
    const char16_t c = text[i];
    if (IsHighSurrogate(c) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
        return {0x10000 + ((static_cast<char32_t>(c) - 0xD800) << 10U) + (text[i + 1] - 0xDC00U),
                2};
    }
    return {c, 1};
}

bool IsTagCharacter(char32_t c) {
    return c == U'_' || c == U'-' || iswalnum_l(static_cast<wint_t>(c), UnicodeLocale()) != 0;
}

// What a note shows as a blank, as it is one line.
bool IsBreak(char16_t c) {
    return c == u'\n' || c == u'\r' || c == u'\t' || c == u'\v' || c == u'\f' || c == u'\u2028' ||
           c == u'\u2029';
}

} // namespace

bool HoldsBreak(std::u16string_view text) {
    // A load checks every note of the file: eight units at a time side by side, every unit
    // compared without a branch, and the lanes looked at once per thirty-two units.
    using Units = std::uint16_t __attribute__((vector_size(16)));
    using Lanes = std::int16_t __attribute__((vector_size(16))); // a comparison's all-ones or 0
    constexpr std::size_t kLanes = sizeof(Units) / sizeof(char16_t);
    constexpr std::size_t kBlock = 4 * kLanes;
    constexpr Units kTab = {u'\t', u'\t', u'\t', u'\t', u'\t', u'\t', u'\t', u'\t'};
    constexpr Units kFive = {5, 5, 5, 5, 5, 5, 5, 5};
    constexpr Units kOne = {1, 1, 1, 1, 1, 1, 1, 1};
    constexpr Units kParagraph = {0x2029, 0x2029, 0x2029, 0x2029, 0x2029, 0x2029, 0x2029, 0x2029};
    std::size_t i = 0;
    for (; i + kBlock <= text.size(); i += kBlock) {
        Lanes found{};
        for (std::size_t k = 0; k < kBlock; k += kLanes) {
            Units v;
            std::memcpy(&v, text.data() + i + k, sizeof v);
            // \t \n \v \f \r are the five units from \t on; U+2028 and U+2029 differ in the
            // lowest bit alone.
            found |= (v - kTab < kFive) | ((v | kOne) == kParagraph);
        }
        std::uint64_t halves[2];
        std::memcpy(halves, &found, sizeof halves);
        if ((halves[0] | halves[1]) != 0) {
            return true;
        }
    }
    return std::any_of(text.begin() + static_cast<std::ptrdiff_t>(i), text.end(), IsBreak);
}

std::u16string OnOneLine(std::u16string_view text) {
    std::u16string line(text);
    std::replace_if(line.begin(), line.end(), IsBreak, u' ');
    return line;
}

std::u16string CleanNote(std::u16string_view text) {
    std::u16string note = OnOneLine(text);
    if (note.size() > kMaxNoteLength) {
        std::size_t cut = kMaxNoteLength;
        if (IsLowSurrogate(note[cut]) && IsHighSurrogate(note[cut - 1])) {
            --cut;
        }
        note.resize(cut);
    }
    const std::size_t first = note.find_first_not_of(u' ');
    if (first == std::u16string::npos) {
        return {};
    }
    note.erase(note.find_last_not_of(u' ') + 1);
    note.erase(0, first);
    return note;
}

std::vector<std::u16string> NoteTags(std::u16string_view note) {
    std::vector<std::u16string> tags;
    for (std::size_t i = note.find(u'#'); i != std::u16string_view::npos; i = note.find(u'#', i)) {
        // A "#" inside a word ("C#") starts no tag.
        const bool atWordStart = i == 0 || !IsTagCharacter(note[i - 1]);
        std::size_t end = ++i;
        while (end < note.size()) {
            const auto [c, units] = CodePointAt(note, end);
            if (!IsTagCharacter(c)) {
                break;
            }
            end += units;
        }
        if (atWordStart && end > i) {
            std::u16string tag(note.substr(i, end - i));
            if (std::find(tags.begin(), tags.end(), tag) == tags.end()) {
                tags.push_back(std::move(tag));
            }
        }
        i = end;
    }
    return tags;
}

namespace {

// A unit of the Basic Multilingual Plane folded to one unit, or kFoldsWider where it folds to
// more (ß to "ss") or is half of a pair: a note is folded a table lookup a unit, ICU asked
// only for the few that change length. Case folding needs no context, so folding a text is
// folding each letter.
constexpr char16_t kFoldsWider = 0xFFFF; // a noncharacter, which folds to itself anyway

const std::array<char16_t, 0x10000>& FoldTable() {
    static const auto table = [] {
        auto t = std::make_unique<std::array<char16_t, 0x10000>>();
        for (std::uint32_t c = 0; c < 0x10000; ++c) {
            const auto unit = static_cast<char16_t>(c);
            char16_t folded[4];
            UErrorCode status = U_ZERO_ERROR;
            const std::int32_t n =
                IsHighSurrogate(unit) || IsLowSurrogate(unit)
                    ? 0
                    : u_strFoldCase(folded, 4, &unit, 1, U_FOLD_CASE_DEFAULT, &status);
            (*t)[c] = n == 1 && U_SUCCESS(status) ? folded[0] : kFoldsWider;
        }
        (*t)[kFoldsWider] = kFoldsWider;
        return t;
    }();
    return *table;
}

// The code point at i folded by ICU onto the end of out: how many units of the text it took.
std::size_t AppendFoldedByIcu(std::u16string& out, std::u16string_view text, std::size_t i) {
    const std::size_t units = CodePointAt(text, i).second;
    char16_t folded[8];
    UErrorCode status = U_ZERO_ERROR;
    const std::int32_t n = u_strFoldCase(
        folded, 8, text.data() + i, static_cast<std::int32_t>(units), U_FOLD_CASE_DEFAULT, &status);
    if (U_SUCCESS(status) && n > 0) {
        out.append(folded, static_cast<std::size_t>(n));
    } else {
        out.append(text.substr(i, units)); // a lone half of a pair stays as it is
    }
    return units;
}

} // namespace

void AppendFolded(std::u16string& out, std::u16string_view text) {
    const std::array<char16_t, 0x10000>& table = FoldTable();
    const std::size_t at = out.size();
    out.resize(at + text.size());
    char16_t* to = out.data() + at;
    for (std::size_t i = 0; i < text.size();) {
        const char16_t folded = table[text[i]];
        if (folded != kFoldsWider) {
            *to++ = folded;
            ++i;
            continue;
        }
        // Rare: what was written so far stays, the wider letter goes after it.
        out.resize(static_cast<std::size_t>(to - out.data()));
        i += AppendFoldedByIcu(out, text, i);
        const std::size_t written = out.size();
        out.resize(written + (text.size() - i));
        to = out.data() + written;
    }
    out.resize(static_cast<std::size_t>(to - out.data()));
}

std::u16string FoldCase(std::u16string_view text) {
    std::u16string folded;
    AppendFolded(folded, text);
    return folded;
}

bool AllClean(std::u16string_view text, std::span<const std::uint16_t> lengths) {
    if (HoldsBreak(text)) {
        return false;
    }
    std::size_t from = 0;
    for (const std::uint16_t length : lengths) {
        const std::size_t to = from + length;
        if (length > kMaxNoteLength || to > text.size() ||
            (length != 0 && (text[from] == u' ' || text[to - 1] == u' '))) {
            return false;
        }
        from = to;
    }
    return true;
}

CNoteTable::CNoteTable(CNoteTable&& other) noexcept
    : m_chars(std::move(other.m_chars)), m_nChars(std::exchange(other.m_nChars, 0)),
      m_nRoom(std::exchange(other.m_nRoom, 0)), m_ends(std::exchange(other.m_ends, {})) {}

CNoteTable& CNoteTable::operator=(CNoteTable&& other) noexcept {
    if (this != &other) {
        m_chars = std::move(other.m_chars);
        m_nChars = std::exchange(other.m_nChars, 0);
        m_nRoom = std::exchange(other.m_nRoom, 0);
        m_ends = std::exchange(other.m_ends, {});
    }
    return *this;
}

void CNoteTable::Reserve(std::size_t more) {
    if (m_nRoom - m_nChars >= more) {
        return;
    }
    const std::size_t room = std::max({m_nChars + more, 2 * m_nRoom, std::size_t{64}});
    void* grown = std::realloc(m_chars.get(), room * sizeof(char16_t));
    if (grown == nullptr) {
        throw std::bad_alloc();
    }
    static_cast<void>(m_chars.release());
    m_chars.reset(static_cast<char16_t*>(grown));
    m_nRoom = room;
}

void CNoteTable::AppendEnds(std::span<const std::uint16_t> lengths) {
    m_ends.reserve(m_ends.size() + lengths.size());
    std::uint32_t end = m_ends.empty() ? 0 : m_ends.back();
    for (const std::uint16_t length : lengths) {
        end += length;
        m_ends.push_back(end);
    }
}

NoteKey CNoteTable::Add(std::u16string_view text) {
    if (text.empty()) {
        return kNoNote;
    }
    Reserve(text.size());
    std::copy(text.begin(), text.end(), m_chars.get() + m_nChars);
    m_nChars += text.size();
    m_ends.push_back(static_cast<std::uint32_t>(m_nChars));
    return Count();
}

std::span<char16_t> CNoteTable::AppendAll(std::span<const std::uint16_t> lengths,
                                          std::size_t units) {
    Reserve(units);
    AppendEnds(lengths);
    const std::span<char16_t> room(m_chars.get() + m_nChars, units);
    m_nChars += units;
    return room;
}

void CNoteTable::Adopt(MallocedUnits text, std::span<const std::uint16_t> lengths,
                       std::size_t units) {
    m_ends.clear();
    AppendEnds(lengths);
    m_chars = std::move(text);
    m_nChars = units;
    m_nRoom = units;
}

std::u16string_view CNoteTable::Text(NoteKey key) const {
    if (key == kNoNote || key > Count()) {
        return {};
    }
    return {m_chars.get() + Start(key), m_ends[key - 1] - Start(key)};
}

void CNoteSearch::Prepare() {
    for (NoteKey key = static_cast<NoteKey>(m_ends.size()); key <= m_notes.Count(); ++key) {
        AppendFolded(m_folded, m_notes.Text(key));
        // No note holds a line break, so no match runs from one note into the next.
        m_folded += u'\n';
        m_ends.push_back(static_cast<std::uint32_t>(m_folded.size()));
    }
}

std::vector<bool> CNoteSearch::Matching(std::u16string_view text) {
    const std::u16string wanted = FoldCase(CleanNote(text));
    if (wanted.empty()) {
        std::vector<bool> matching(std::size_t{m_notes.Count()} + 1, true);
        matching[0] = false;
        return matching;
    }
    Prepare();
    std::vector<bool> matching(m_ends.size(), false);
    // One pass over all notes at once, by the C library's fast byte search: a hit at an odd
    // byte straddles two units and is no hit.
    const char* base = reinterpret_cast<const char*>(m_folded.data());
    const std::size_t bytes = 2 * m_folded.size();
    const std::size_t length = 2 * wanted.size();
    std::size_t from = 0;
    std::size_t note = 1; // hits come in order: the note holding one is found walking on
    while (from + length <= bytes) {
        const void* hit = ::memmem(base + from, bytes - from, wanted.data(), length);
        if (hit == nullptr) {
            break;
        }
        const auto offset = static_cast<std::size_t>(static_cast<const char*>(hit) - base);
        if (offset % 2 != 0) {
            from = offset + 1;
            continue;
        }
        while (m_ends[note] <= offset / 2) {
            ++note;
        }
        matching[note] = true;
        // The search goes on after the note's end.
        from = 2 * std::size_t{m_ends[note]};
    }
    return matching;
}

} // namespace tamblero
