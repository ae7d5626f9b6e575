#include "storage/ExtensionBlock.h"

#include "model/CategoryNode.h"
#include "storage/Archive.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <utility>

namespace tamblero {

namespace {

constexpr std::size_t kField = 4;
constexpr std::size_t kSectionHeader = kField + kField; // id, length
constexpr std::size_t kNoteHeader = kField + 2;         // skipped entries, length
constexpr std::size_t kMinNoteRecord = kNoteHeader + 2; // a note of one unit
constexpr std::size_t kBlockHeader = kExtensionMarker.size() + kField + kField;

std::uint32_t Narrow(std::size_t n) {
    return static_cast<std::uint32_t>(n);
}

// One note's length and units, straight into the table.
NoteKey ReadNoteText(CArchiveReader& ar, CNoteTable& notes) {
    const std::size_t length = ar.ReadU16();
    if (length == 0 || length > kMaxNoteLength) {
        throw CArchiveError("a note of an impossible length");
    }
    const std::uint8_t* p = ar.ReadBytes(2 * length).data();
    const auto [key, text] = notes.Append(length);
    if constexpr (std::endian::native == std::endian::little) {
        // Eight bytes at a time: an inlined copy of a length known only here is a slow
        // string instruction, and most notes are a few dozen bytes.
        auto* out = reinterpret_cast<std::uint8_t*>(text.data());
        std::size_t i = 0;
        for (; i + 8 <= 2 * length; i += 8) {
            std::memcpy(out + i, p + i, 8);
        }
        for (; i < 2 * length; ++i) {
            out[i] = p[i];
        }
    } else {
        for (char16_t& c : text) {
            c = static_cast<char16_t>(LoadU16(p));
            p += 2;
        }
    }
    // What the program never writes is damage, not a note to show.
    if (!IsCleanNote({text.data(), text.size()})) {
        throw CArchiveError("a note with a line break or blanks at its ends");
    }
    return key;
}

// Reads the notes as the walk over the tree in file order reaches their entries.
CNoteTable ReadNotes(CArchiveReader& ar, CExpenseGroup& root) {
    const std::size_t count = ar.ReadCount(kMinNoteRecord);
    CNoteTable notes;
    // Each unit takes two bytes of what is left: the reservation is bounded by the file.
    notes.Reserve(count, ar.Remaining() / 2);
    std::size_t placed = 0;
    std::uint64_t next = count > 0 ? ar.ReadU32() : 0; // the next noted entry's place
    std::uint64_t first = 0;                           // the place of a bucket's first entry
    root.ForEachArticleBelow([&](CExpenseArticle& article) {
        if (placed == count) {
            return;
        }
        for (auto& [day, list] : article.Days()) {
            const auto entries = static_cast<std::uint64_t>(list.GetCount());
            while (placed < count && next < first + entries) {
                list.SetNote(static_cast<int>(next - first), ReadNoteText(ar, notes));
                if (++placed < count) {
                    next += 1 + std::uint64_t{ar.ReadU32()};
                }
            }
            first += entries;
        }
    });
    if (placed < count) {
        throw CArchiveError("a note for an entry the tree does not hold");
    }
    if (ar.Remaining() != 0) {
        throw CArchiveError("bytes after the notes");
    }
    return notes;
}

} // namespace

void WriteExtensionBlock(CArchiveWriter& ar, const CNotePlaces& places, const CNoteTable& notes,
                         std::span<const KeptSection> kept) {
    if (places.empty() && kept.empty()) {
        return;
    }
    std::size_t notesBytes = 0;
    if (!places.empty()) {
        notesBytes = kField;
        for (const auto& place : places.m_places) {
            notesBytes += kNoteHeader + 2 * notes.Text(place.note).size();
        }
    }
    std::size_t sections = notesBytes == 0 ? 0 : kSectionHeader + notesBytes;
    for (const KeptSection& section : kept) {
        sections += kSectionHeader + section.payload.size();
    }
    ar.Reserve(ar.Bytes().size() + kBlockHeader + sections);
    std::copy(kExtensionMarker.begin(), kExtensionMarker.end(), ar.Extend(kExtensionMarker.size()));
    ar.WriteU32(kExtensionVersion);
    ar.WriteU32(Narrow(sections));
    if (notesBytes != 0) {
        ar.WriteU32(kNotesSection);
        ar.WriteU32(Narrow(notesBytes));
        ar.WriteU32(Narrow(places.m_places.size()));
        for (const auto& [skipped, key] : places.m_places) {
            const std::u16string_view text = notes.Text(key);
            std::uint8_t* p = ar.Extend(kNoteHeader + 2 * text.size());
            StoreU32(p, skipped);
            p[4] = static_cast<std::uint8_t>(text.size());
            p[5] = static_cast<std::uint8_t>(text.size() >> 8U);
            p += kNoteHeader;
            for (const char16_t c : text) {
                p[0] = static_cast<std::uint8_t>(c);
                p[1] = static_cast<std::uint8_t>(c >> 8U);
                p += 2;
            }
        }
    }
    for (const KeptSection& section : kept) {
        ar.WriteU32(section.id);
        ar.WriteU32(Narrow(section.payload.size()));
        std::copy(section.payload.begin(), section.payload.end(),
                  ar.Extend(section.payload.size()));
    }
}

ExtensionContent ReadExtensionBlock(std::span<const std::uint8_t> bytes, CExpenseGroup& root) {
    ExtensionContent content;
    // Bytes after the tree were always let be; only what claims to be a block must be one.
    if (bytes.size() < kExtensionMarker.size() ||
        !std::equal(kExtensionMarker.begin(), kExtensionMarker.end(), bytes.begin())) {
        return content;
    }
    CArchiveReader ar(bytes);
    if (ar.Remaining() < kBlockHeader) {
        throw CArchiveError("an extension block cut short");
    }
    ar.Skip(kExtensionMarker.size());
    if (const std::uint32_t version = ar.ReadU32(); version != kExtensionVersion) {
        throw CArchiveError("unknown extension block version " + std::to_string(version));
    }
    if (ar.ReadU32() != ar.Remaining()) {
        throw CArchiveError("an extension block whose length is not the file's rest");
    }
    bool notesRead = false;
    while (ar.Remaining() != 0) {
        const std::uint32_t id = ar.ReadU32();
        const std::span<const std::uint8_t> payload = ar.ReadBytes(ar.ReadU32());
        if (id == kNotesSection) {
            if (std::exchange(notesRead, true)) {
                throw CArchiveError("two sections of notes");
            }
            CArchiveReader section(payload);
            content.notes = ReadNotes(section, root);
        } else {
            content.kept.push_back({id, {payload.begin(), payload.end()}});
        }
    }
    return content;
}

} // namespace tamblero
