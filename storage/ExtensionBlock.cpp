#include "storage/ExtensionBlock.h"

#include "model/CategoryNode.h"
#include "storage/Archive.h"

#include <algorithm>
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

// Hands each entry of the tree, in file order, the notes read for it.
void PlaceNotes(CExpenseGroup& root, const std::vector<std::uint64_t>& places) {
    std::size_t next = 0;
    std::uint64_t first = 0; // the place of the current bucket's first entry
    root.ForEachArticleBelow([&](CExpenseArticle& article) {
        if (next == places.size()) {
            return;
        }
        for (auto& [day, list] : article.Days()) {
            const auto count = static_cast<std::uint64_t>(list.GetCount());
            for (; next < places.size() && places[next] < first + count; ++next) {
                list.SetNote(static_cast<int>(places[next] - first), Narrow(next + 1));
            }
            first += count;
        }
    });
}

CNoteTable ReadNotes(CArchiveReader& ar, CExpenseGroup& root, std::uint64_t entryCount) {
    const std::size_t count = ar.ReadCount(kMinNoteRecord);
    CNoteTable notes;
    // Each unit takes two bytes of what is left: the reservation is bounded by the file.
    notes.Reserve(count, ar.Remaining() / 2);
    std::vector<std::uint64_t> places;
    places.reserve(count);
    std::uint64_t place = 0;
    std::u16string text; // one buffer for every note
    for (std::size_t i = 0; i < count; ++i) {
        place += ar.ReadU32();
        if (place >= entryCount) {
            throw CArchiveError("a note for an entry the tree does not hold");
        }
        places.push_back(place++);
        const std::size_t length = ar.ReadU16();
        if (length == 0 || length > kMaxNoteLength) {
            throw CArchiveError("a note of an impossible length");
        }
        const std::uint8_t* p = ar.ReadBytes(2 * length).data();
        text.resize(length);
        for (char16_t& c : text) {
            c = static_cast<char16_t>(LoadU16(p));
            p += 2;
        }
        // What the program never writes is damage, not a note to show.
        if (!IsCleanNote(text)) {
            throw CArchiveError("a note with a line break or blanks at its ends");
        }
        notes.Add(text);
    }
    if (ar.Remaining() != 0) {
        throw CArchiveError("bytes after the notes");
    }
    PlaceNotes(root, places);
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

ExtensionContent ReadExtensionBlock(std::span<const std::uint8_t> bytes, CExpenseGroup& root,
                                    std::uint64_t entryCount) {
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
            content.notes = ReadNotes(section, root, entryCount);
        } else {
            content.kept.push_back({id, {payload.begin(), payload.end()}});
        }
    }
    return content;
}

} // namespace tamblero
