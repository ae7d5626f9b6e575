// The extension block: what a version-2 data file holds beyond the accounts and the tree,
// after the root group's record, where every reader that stops after the tree never looks.
//
//   marker   8 bytes  89 54 4D 42 58 0D 0A 1A
//   version  u32      1
//   length   u32      the bytes of the sections that follow; the block ends the file
//   sections, each an id (u32), the length of its payload (u32) and the payload:
//     1 the notes: a count (u32), then one record per entry with a note, in the order the
//       tree stores the entries: how many entries without a note come before it since the
//       last one (u32) and the note's length in UTF-16 units (u16, 1 .. 1000); then the
//       notes' units (LE), one note after another in the records' order
//     2 the accounts' movements: a count (u32), then each in the order recorded: its day
//       (u32), its kind (u8: 0 a deposit, 1 a transfer), the source's and the target's
//       places in the account list (u32 each; FFFFFFFF for none: a deposit's source, or a
//       deleted account's side of a transfer), the amount (i32), then the note and the
//       deleted side's last name as the archive writes strings
//     3 is held for lasting identities
// This program writes the movements, then the notes, whose text so ends the file of a
// document without kept sections. A section of an id this program does not know is kept as
// it is and written back after the ones it knows.
#pragma once

#include "model/Movements.h"
#include "model/Notes.h"

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace tamblero {

class CAccount;
class CAccountList;
class CArchiveReader;
class CArchiveWriter;
class CExpenseGroup;

inline constexpr std::array<std::uint8_t, 8> kExtensionMarker{0x89, 'T',  'M',  'B',
                                                              'X',  0x0D, 0x0A, 0x1A};
inline constexpr std::uint32_t kExtensionVersion = 1;
inline constexpr std::uint32_t kNotesSection = 1;
inline constexpr std::uint32_t kMovementsSection = 2;

// A section of the block this program does not know, as it was read.
struct KeptSection {
    std::uint32_t id = 0;
    std::vector<std::uint8_t> payload;
};

// What the block holds beyond the entries' notes.
struct ExtensionExtras {
    const CAccountList* accounts = nullptr; // the list the movements' places are in
    std::span<const CMovement> movements;
    std::span<const KeptSection> kept;
};

// Where the entries with a note stand among all entries in file order, gathered while the
// tree is written: a file without notes costs one comparison per entry.
class CNotePlaces final {
public:
    void Entry(NoteKey note) {
        if (note != kNoNote) {
            m_places.push_back({m_nSkipped, note});
            m_nSkipped = 0;
        } else {
            ++m_nSkipped;
        }
    }
    [[nodiscard]] bool empty() const { return m_places.empty(); }

private:
    friend void WriteExtensionBlock(CArchiveWriter&, const CNotePlaces&, const CNoteTable&,
                                    const ExtensionExtras&);
    struct Place {
        std::uint32_t skipped; // entries without a note since the last with one
        NoteKey note;
    };
    std::vector<Place> m_places;
    std::uint32_t m_nSkipped = 0;
};

// Appends the block, or nothing where there are no notes, movements or kept sections: such
// a document's file is exactly what the writer of the tree alone writes.
void WriteExtensionBlock(CArchiveWriter& ar, const CNotePlaces& places, const CNoteTable& notes,
                         const ExtensionExtras& extras);

// What a block read gives.
struct ExtensionContent {
    CNoteTable notes;
    std::vector<CMovement> movements;
    std::vector<KeptSection> kept;
};

// Reads the bytes after the root group's record, where the reader stands, into the tree's
// entries, the movements naming the accounts by their places in `accounts`; bytes that do
// not begin with the marker are no block and are let be, as they always were. Throws
// CArchiveError for a block this program cannot read, which makes the file damaged like any
// other damage.
[[nodiscard]] ExtensionContent ReadExtensionBlock(CArchiveReader& ar, CExpenseGroup& root,
                                                  std::span<CAccount* const> accounts);

} // namespace tamblero
