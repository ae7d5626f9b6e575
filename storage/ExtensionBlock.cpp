#include "storage/ExtensionBlock.h"

#include "model/Account.h"
#include "model/CategoryNode.h"
#include "storage/Archive.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <memory>
#include <unordered_map>
#include <utility>

namespace tamblero {

namespace {

constexpr std::size_t kField = 4;
constexpr std::size_t kSectionHeader = kField + kField; // id, length
constexpr std::size_t kNoteHeader = kField + 2;         // skipped entries, length
constexpr std::size_t kBlockHeader = kExtensionMarker.size() + kField + kField;
// Day, kind, source, target, amount, and two strings of a byte at least.
constexpr std::size_t kMinMovementRecord = kField + 1 + 3 * kField + 2;
constexpr std::uint32_t kNoPlace = 0xFFFFFFFF;
enum : std::uint8_t { kDepositKind = 0, kTransferKind = 1 };
// What the program never writes is damage, not a note to show.
constexpr const char* kUnclean = "a note with a line break or blanks at its ends";

std::uint32_t Narrow(std::size_t n) {
    return static_cast<std::uint32_t>(n);
}

// The notes' records, each entry handed its note, then all their units, read in runs and
// checked as each run arrives, never in memory twice: a load reads every note of the file.
CNoteTable ReadNotes(CArchiveReader& ar, CExpenseGroup& root) {
    // Each refusal names its own fault: a count the records and their text do not bear
    // out, an empty note, a note too long, text of another length than the records say.
    const std::size_t count = ar.ReadCount(kNoteHeader);
    const std::size_t rest = ar.Remaining(); // the records and the text
    const std::uint8_t* records = ar.ReadBytes(count * kNoteHeader).data();
    std::vector<std::uint16_t> lengths(count);
    std::size_t units = 0;
    for (std::size_t i = 0; i < count; ++i) {
        // The records before this one and their text fill the section: this one is read
        // out of the text, so the count is what is wrong.
        if (i * kNoteHeader + 2 * units == rest) {
            throw CArchiveError("more notes counted than the section holds");
        }
        lengths[i] = LoadU16(records + i * kNoteHeader + kField);
        if (lengths[i] == 0) {
            throw CArchiveError("an empty note");
        }
        if (lengths[i] > kMaxNoteLength) {
            throw CArchiveError("a note longer than 1000 units");
        }
        units += lengths[i];
    }
    if (ar.Remaining() != 2 * units) {
        throw CArchiveError(ar.Remaining() < 2 * units ? "notes cut short"
                                                       : "bytes after the notes");
    }
    // Each entry of the tree, in file order, is handed its note as the walk reaches it;
    // before the text is read, while more of the tree is still in the cache.
    std::size_t placed = 0;
    std::uint64_t next = count > 0 ? LoadU32(records) : 0; // the next noted entry's place
    std::uint64_t first = 0;                               // a bucket's first entry's place
    root.ForEachArticleBelow([&](CExpenseArticle& article) {
        if (placed == count) {
            return;
        }
        article.Days().ForEachListForNotes([&](CEntryList& list) {
            const auto entries = static_cast<std::uint64_t>(list.GetCount());
            while (placed < count && next < first + entries) {
                list.SetNote(static_cast<int>(next - first), static_cast<NoteKey>(placed + 1));
                if (++placed < count) {
                    next += 1 + std::uint64_t{LoadU32(records + placed * kNoteHeader)};
                }
            }
            first += entries;
        });
    });
    if (placed < count) {
        throw CArchiveError("a note for an entry the tree does not hold");
    }
    CNoteTable notes;
    if constexpr (std::endian::native == std::endian::little) {
        if (units != 0 && ar.CanTakeRest()) {
            // The text ends the file: it goes to the front of the buffer, over the tree read
            // there and needed no more, and stays there as the table's.
            std::size_t checked = 0; // the notes checked, whole
            std::size_t checkedUnits = 0;
            const auto arrived = [&](std::span<const std::uint8_t> bytes) {
                const std::u16string_view text(reinterpret_cast<const char16_t*>(bytes.data()),
                                               bytes.size() / 2);
                std::size_t to = checked;
                std::size_t end = checkedUnits;
                while (to < count && end + lengths[to] <= text.size()) {
                    end += lengths[to++];
                }
                if (!AllClean(text.substr(checkedUnits, end - checkedUnits),
                              std::span(lengths).subspan(checked, to - checked))) {
                    throw CArchiveError(kUnclean);
                }
                checked = to;
                checkedUnits = end;
            };
            MallocedBytes text = ar.TakeRest(arrived);
            notes.Adopt(MallocedUnits(reinterpret_cast<char16_t*>(text.release())), lengths, units);
            return notes;
        }
    }
    const std::span<char16_t> text = notes.AppendAll(lengths, units);
    // Else straight from the file into the table, in runs of whole notes that are checked
    // while they are still in the cache.
    constexpr std::size_t kRunUnits = std::size_t{32} << 10U;
    std::size_t at = 0; // the units read
    for (std::size_t from = 0; from < count;) {
        std::size_t to = from;
        std::size_t run = 0;
        while (to < count && run < kRunUnits) {
            run += lengths[to++];
        }
        const std::span<char16_t> piece = text.subspan(at, run);
        ar.CopyTo({reinterpret_cast<std::uint8_t*>(piece.data()), piece.size_bytes()});
        if constexpr (std::endian::native != std::endian::little) {
            for (char16_t& c : piece) {
                const auto* p = reinterpret_cast<const std::uint8_t*>(&c);
                c = static_cast<char16_t>(LoadU16(p));
            }
        }
        if (!AllClean({piece.data(), piece.size()}, std::span(lengths).subspan(from, to - from))) {
            throw CArchiveError(kUnclean);
        }
        from = to;
        at += run;
    }
    return notes;
}

CAccount* ReadSide(CArchiveReader& ar, std::span<CAccount* const> accounts) {
    const std::uint32_t place = ar.ReadU32();
    if (place == kNoPlace) {
        return nullptr;
    }
    if (place >= accounts.size()) {
        throw CArchiveError("a movement of an account the file does not hold");
    }
    return accounts[place];
}

std::vector<CMovement> ReadMovements(CArchiveReader& ar, std::span<CAccount* const> accounts) {
    // Grown as the records are read: a count that claims more than follows costs nothing.
    const std::size_t count = ar.ReadCount(kMinMovementRecord);
    std::vector<CMovement> movements;
    for (std::size_t i = 0; i < count; ++i) {
        CMovement m;
        m.m_day = ar.ReadU32();
        const std::uint8_t kind = ar.ReadU8();
        m.m_pFrom = ReadSide(ar, accounts);
        m.m_pTo = ReadSide(ar, accounts);
        m.m_nAmount = ar.ReadI32();
        m.m_strNote = ar.ReadString();
        // Earlier versions kept a deleted account's name as it was, a tab or a line break
        // included; it is read onto one line, as it is kept now.
        m.m_strGoneName = OnOneLine(ar.ReadString());
        m.m_bTransfer = kind == kTransferKind;
        // Only what the program itself records: anything else would show a balance it
        // never had.
        const bool sound =
            m.m_day <= kLastValidDay && (kind == kDepositKind || kind == kTransferKind) &&
            m.m_strNote.size() <= kMaxNoteLength && CleanNote(m.m_strNote) == m.m_strNote &&
            (m.m_bTransfer ? (m.m_pFrom != nullptr || m.m_pTo != nullptr) && m.m_pFrom != m.m_pTo
                           : m.m_pFrom == nullptr && m.m_pTo != nullptr) &&
            // A deleted side's name only where a side is gone.
            ((m.m_bTransfer && (m.m_pFrom == nullptr || m.m_pTo == nullptr)) ||
             m.m_strGoneName.empty());
        if (!sound) {
            throw CArchiveError("a movement the program never records");
        }
        movements.push_back(std::move(m));
    }
    if (ar.Remaining() != 0) {
        throw CArchiveError("bytes after the movements");
    }
    return movements;
}

void WriteMovements(CArchiveWriter& ar, const ExtensionExtras& extras) {
    std::unordered_map<const CAccount*, std::uint32_t> placeOf;
    for (int i = 0; i < extras.accounts->GetCount(); ++i) {
        placeOf.emplace(extras.accounts->GetAt(i), Narrow(static_cast<std::size_t>(i)));
    }
    const auto place = [&](const CAccount* account) {
        const auto found = placeOf.find(account);
        return found != placeOf.end() ? found->second : kNoPlace;
    };
    ar.WriteU32(Narrow(extras.movements.size()));
    for (const CMovement& m : extras.movements) {
        ar.WriteU32(m.m_day);
        ar.WriteU8(m.m_bTransfer ? kTransferKind : kDepositKind);
        ar.WriteU32(place(m.m_pFrom));
        ar.WriteU32(place(m.m_pTo));
        ar.WriteI32(m.m_nAmount);
        ar.WriteString(m.m_strNote);
        ar.WriteString(m.m_strGoneName);
    }
}

} // namespace

void WriteExtensionBlock(CArchiveWriter& ar, const CNotePlaces& places, const CNoteTable& notes,
                         const ExtensionExtras& extras) {
    const std::span<const KeptSection> kept = extras.kept;
    if (places.empty() && extras.movements.empty() && kept.empty() && extras.ids == nullptr) {
        return;
    }
    std::size_t notesBytes = 0;
    if (!places.empty()) {
        notesBytes = kField;
        for (const auto& place : places.m_places) {
            notesBytes += kNoteHeader + 2 * notes.Text(place.note).size();
        }
    }
    // Few enough to write apart and copy: the length goes before them.
    std::vector<std::uint8_t> movements;
    if (!extras.movements.empty()) {
        CArchiveWriter section;
        WriteMovements(section, extras);
        movements = section.Take();
    }
    std::vector<std::uint8_t> identities;
    std::vector<std::uint8_t> remembered;
    std::vector<std::uint8_t> memory;
    std::vector<std::uint8_t> bankItems;
    std::vector<std::uint8_t> csv;
    std::vector<std::uint8_t> budgets;
    std::vector<std::uint8_t> schedules;
    if (extras.ids != nullptr) {
        identities = WriteIdentitySection(*extras.root, *extras.accounts, extras.movements, notes,
                                          *extras.ids);
        remembered = WriteRecordsSection(*extras.ids);
        if (extras.memory != nullptr) {
            memory = WriteMemorySection(*extras.memory, *extras.ids);
            bankItems = WriteBankItemsSection(*extras.memory, *extras.ids);
            csv = WriteCsvSection(*extras.memory, *extras.ids);
        }
        if (extras.budgets != nullptr) {
            budgets = WriteBudgetSection(*extras.budgets, *extras.ids);
        }
        if (extras.schedules != nullptr) {
            schedules = WriteScheduleSection(*extras.schedules, *extras.ids);
        }
    }
    std::size_t sections = notesBytes == 0 ? 0 : kSectionHeader + notesBytes;
    if (!movements.empty()) {
        sections += kSectionHeader + movements.size();
    }
    if (extras.ids != nullptr) {
        sections += kSectionHeader + identities.size();
    }
    if (!remembered.empty()) {
        sections += kSectionHeader + remembered.size();
    }
    if (!memory.empty()) {
        sections += kSectionHeader + memory.size();
    }
    if (!bankItems.empty()) {
        sections += kSectionHeader + bankItems.size();
    }
    if (!csv.empty()) {
        sections += kSectionHeader + csv.size();
    }
    if (!budgets.empty()) {
        sections += kSectionHeader + budgets.size();
    }
    if (!schedules.empty()) {
        sections += kSectionHeader + schedules.size();
    }
    for (const KeptSection& section : kept) {
        sections += kSectionHeader + section.payload.size();
    }
    ar.Reserve(ar.Bytes().size() + kBlockHeader + sections);
    std::copy(kExtensionMarker.begin(), kExtensionMarker.end(), ar.Extend(kExtensionMarker.size()));
    ar.WriteU32(kExtensionVersion);
    ar.WriteU32(Narrow(sections));
    // The notes after the movements: their text then ends the file, where a load reads it
    // straight into place.
    if (!movements.empty()) {
        ar.WriteU32(kMovementsSection);
        ar.WriteU32(Narrow(movements.size()));
        std::copy(movements.begin(), movements.end(), ar.Extend(movements.size()));
    }
    if (extras.ids != nullptr) {
        ar.WriteU32(kIdentitySection);
        ar.WriteU32(Narrow(identities.size()));
        std::copy(identities.begin(), identities.end(), ar.Extend(identities.size()));
    }
    if (!remembered.empty()) {
        ar.WriteU32(kRecordsSection);
        ar.WriteU32(Narrow(remembered.size()));
        std::copy(remembered.begin(), remembered.end(), ar.Extend(remembered.size()));
    }
    if (!memory.empty()) {
        ar.WriteU32(kMemorySection);
        ar.WriteU32(Narrow(memory.size()));
        std::copy(memory.begin(), memory.end(), ar.Extend(memory.size()));
    }
    if (!bankItems.empty()) {
        ar.WriteU32(kBankItemsSection);
        ar.WriteU32(Narrow(bankItems.size()));
        std::copy(bankItems.begin(), bankItems.end(), ar.Extend(bankItems.size()));
    }
    if (!csv.empty()) {
        ar.WriteU32(kCsvSection);
        ar.WriteU32(Narrow(csv.size()));
        std::copy(csv.begin(), csv.end(), ar.Extend(csv.size()));
    }
    if (!budgets.empty()) {
        ar.WriteU32(kBudgetSection);
        ar.WriteU32(Narrow(budgets.size()));
        std::copy(budgets.begin(), budgets.end(), ar.Extend(budgets.size()));
    }
    if (!schedules.empty()) {
        ar.WriteU32(kScheduleSection);
        ar.WriteU32(Narrow(schedules.size()));
        std::copy(schedules.begin(), schedules.end(), ar.Extend(schedules.size()));
    }
    if (notesBytes != 0) {
        ar.WriteU32(kNotesSection);
        ar.WriteU32(Narrow(notesBytes));
        ar.WriteU32(Narrow(places.m_places.size()));
        for (const auto& [skipped, key] : places.m_places) {
            ar.WriteU32(skipped);
            ar.WriteU16(static_cast<std::uint16_t>(notes.Text(key).size()));
        }
        for (const auto& place : places.m_places) {
            for (const char16_t c : notes.Text(place.note)) {
                ar.WriteU16(static_cast<std::uint16_t>(c));
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

ExtensionContent ReadExtensionBlock(CArchiveReader& ar, CExpenseGroup& root,
                                    std::span<CAccount* const> accounts, bool identitiesRead) {
    ExtensionContent content;
    // Bytes after the tree were always let be; only what claims to be a block must be one.
    if (ar.Remaining() < kExtensionMarker.size()) {
        return content;
    }
    if (const std::span<const std::uint8_t> marker = ar.Peek(kExtensionMarker.size());
        !std::equal(kExtensionMarker.begin(), kExtensionMarker.end(), marker.begin())) {
        return content;
    }
    if (ar.Remaining() < kBlockHeader) {
        throw CArchiveError("an extension block cut short");
    }
    ar.Skip(kExtensionMarker.size());
    if (const std::uint32_t version = ar.ReadU32(); version != kExtensionVersion) {
        throw CArchiveError("unknown extension block version " + std::to_string(version));
    }
    if (const std::uint32_t length = ar.ReadU32(); length != ar.Remaining()) {
        throw CArchiveError("an extension block whose length is not the file's rest");
    }
    bool notesRead = false;
    bool movementsRead = false;
    bool identitiesSeen = false;
    while (ar.Remaining() != 0) {
        const std::uint32_t id = ar.ReadU32();
        const std::uint32_t length = ar.ReadU32();
        if (id == kNotesSection) {
            CArchiveReader section = ar.Sub(length);
            if (std::exchange(notesRead, true)) {
                throw CArchiveError("two sections of notes");
            }
            content.notes = ReadNotes(section, root);
        } else if (id == kMovementsSection) {
            if (std::exchange(movementsRead, true)) {
                throw CArchiveError("two sections of movements");
            }
            CArchiveReader section = ar.Sub(length);
            content.movements = ReadMovements(section, accounts);
        } else if (id == kIdentitySection) {
            if (std::exchange(identitiesSeen, true)) {
                throw CArchiveError("two sections of identities");
            }
            CArchiveReader section = ar.Sub(length);
            if (!identitiesRead) {
                content.identities.emplace(section);
            }
        } else if (id == kRecordsSection) {
            if (content.remembered) {
                throw CArchiveError("two sections of remembered records");
            }
            CArchiveReader section = ar.Sub(length);
            content.remembered = ReadRecordsSection(section);
        } else if (id == kMemorySection) {
            if (content.memory) {
                throw CArchiveError("two sections of import records");
            }
            CArchiveReader section = ar.Sub(length);
            content.memory = ReadMemorySection(section);
        } else if (id == kBankItemsSection) {
            if (content.bankItems) {
                throw CArchiveError("two sections of bank ids' items");
            }
            CArchiveReader section = ar.Sub(length);
            content.bankItems = ReadBankItemsSection(section);
        } else if (id == kCsvSection) {
            if (content.csv) {
                throw CArchiveError("two sections of CSV readings");
            }
            CArchiveReader section = ar.Sub(length);
            content.csv = ReadCsvSection(section);
        } else if (id == kBudgetSection) {
            if (content.budgets) {
                throw CArchiveError("two sections of budgets");
            }
            CArchiveReader section = ar.Sub(length);
            content.budgets = ReadBudgetSection(section);
        } else if (id == kScheduleSection) {
            if (content.schedules) {
                throw CArchiveError("two sections of schedules");
            }
            CArchiveReader section = ar.Sub(length);
            content.schedules = ReadScheduleSection(section);
        } else {
            const std::span<const std::uint8_t> payload = ar.ReadBytes(length);
            content.kept.push_back({id, {payload.begin(), payload.end()}});
        }
    }
    return content;
}

std::optional<FoundIdentities> FindIdentitiesFromEnd(CArchiveReader& ar) {
    // Ids take a byte or two an entry, the tree five at least: a block much larger is mostly
    // notes, whose reading twice would cost more than the walk it spares. A file without a
    // block (an earlier version's, read once) is looked at no further either, nor, in memory
    // held for the look, a huge file past the ids of some twenty million entries.
    constexpr std::size_t kFirstLook = std::size_t{256} << 10U;
    constexpr std::size_t kMostLook = std::size_t{32} << 20U;
    const std::size_t rest = ar.Remaining();
    const std::size_t most = std::min({rest, kMostLook, std::max(kFirstLook, rest / 4)});
    // Filled from its end, as the look goes further back; never read before it is filled.
    const auto buffer = std::make_unique_for_overwrite<std::uint8_t[]>(most);
    std::size_t have = 0;
    while (have < most) {
        const std::size_t more = std::min(most - have, std::max(kFirstLook, have));
        ar.LookBeforeEnd(have, {buffer.get() + (most - have - more), more});
        have += more;
        const std::span<const std::uint8_t> tail(buffer.get() + (most - have), have);
        // The block's header, at the last place whose length reaches the end; the places
        // after the new bytes were looked at before, and their distance to the end is the same.
        std::size_t end = more;
        while (end > 0) {
            const void* hit = memrchr(tail.data(), kExtensionMarker[0], end);
            if (hit == nullptr) {
                break;
            }
            const auto at =
                static_cast<std::size_t>(static_cast<const std::uint8_t*>(hit) - tail.data());
            end = at;
            if (tail.size() - at < kBlockHeader ||
                !std::equal(kExtensionMarker.begin(), kExtensionMarker.end(),
                            tail.begin() + static_cast<std::ptrdiff_t>(at)) ||
                LoadU32(tail.data() + at + 8) != kExtensionVersion ||
                LoadU32(tail.data() + at + 12) != tail.size() - at - kBlockHeader) {
                continue;
            }
            // The sections' headers, to the identities'.
            std::size_t p = at + kBlockHeader;
            while (tail.size() - p >= 8) {
                const std::uint32_t id = LoadU32(tail.data() + p);
                const std::uint32_t length = LoadU32(tail.data() + p + 4);
                p += 8;
                if (length > tail.size() - p) {
                    break;
                }
                if (id == kIdentitySection) {
                    const auto from = tail.begin() + static_cast<std::ptrdiff_t>(p);
                    return FoundIdentities{{from, from + length}, tail.size() - at};
                }
                p += length;
            }
            return std::nullopt;
        }
    }
    return std::nullopt;
}

} // namespace tamblero
