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
//     3 the lasting identities (storage/IdentitySection), every number a LEB128 varint
//       (signed ones zigzagged) unless given as u64 (8 bytes LE). An id: 0 none; a derived
//       one's low 63 bits above a 1; a made one's sequence (48 bits) above its slot (15)
//       above a 0. A stamp: its device's slot, then its millis above its 16-bit counter.
//         the layout (1); a count of devices, then each device's id (u64, never 0), slots
//           1, 2, ... in order (slot 0 names no device);
//         the fingerprint of what the rest describes: the counts of nodes, accounts,
//           movements, day buckets and entries, the sum of the amounts (signed), the sum of
//           the entries' days, and a hash of names, days and amounts in file order (u64);
//         per node, the root first, then in the order the tree is stored (each group before
//           its subgroups, then its articles): id, name stamp, place stamp;
//         per account in list order: id, created, name stamp, opening stamp;
//         per movement in order: id, created;
//         the expenses' ids in the order the tree stores the entries: a length in bytes,
//           then runs, each a header (the count less 1 above a 2-bit kind) and its ids:
//           0 each its id derived at its place, nothing stored; 1 made ids of the last
//           run's device, 2 the same of the device whose slot follows the header: each the
//           difference (signed) from the sequence of the last made id of that device read;
//           3 derived ids stored whole (u64);
//         the expenses' stamps: a count, then each: the entries skipped since the last one,
//           a mask of its fields (1 place, 2 amount, 4 account, 8 note, 16 presence) and
//           the stamps of those fields;
//         the deletion records: a count of expenses, each id and stamp; then nodes,
//           accounts and movements, a count of each, each id, stamp and forward id.
//       A fingerprint other than the file's tree gives (a program that kept the section
//       unread changed the tree) leaves the items to their derived ids; the devices and
//       records still count.
//     4 what deletion records remember, and what a merge keeps beyond what the items show
//       (storage/IdentitySection; CLedgerIds says what each is for), numbers, ids and stamps
//       as in 3 but for its own device table; written only where there is any, each list in
//       id order, a text as its length and its UTF-16 units (varints each):
//         the layout (1); a count of devices, then each device's id (u64), slots 1, 2, ...;
//         deleted expenses' last values: a count, then each: id, article id, day, amount
//           (signed), account id, note, a mask of stamps (1 place, 2 amount, 4 account,
//           8 note, 16 the deletion that left it spent) and those stamps;
//         deleted nodes' last values: a count, then each: id, parent id, kind (0 article,
//           1 group), name, name stamp, place stamp;
//         deleted accounts' last values: a count, then each: id, name, opening (signed),
//           created, name stamp, opening stamp;
//         movements left without an account: a count, then each: id, created, day, source
//           id, target id, amount (signed), kind (0 a deposit, 1 a transfer), note, the
//           deleted side's last name;
//         three lists of ids held for expenses and nodes: a count, then each the item's id,
//           the id held and the stamp the item's field had (expenses naming no account: the
//           account found deleted; expenses in another article: the article merged away;
//           nodes elsewhere: their parent);
//         transfers' deleted sides: a count, then each the movement's id and the account's.
//       A record of an item no deletion record names (a program that kept the section unread
//       undid a deletion) is left out. A file without the section reads as before it.
//     5 the import memory (storage/IdentitySection, statement/StatementMemory), numbers, ids,
//       stamps and texts as in 4, for its own device table; written only where there is any:
//         the layout (1); a count of devices, then each device's id (u64), slots 1, 2, ...;
//         the rules in their order: a count, then each a rule: id, article id, a mask of the
//           range's ends (1 least, 2 most) and those ends (sizes in whole units), a count of
//           words and each word, its place's key (a length, then its bytes, the last never 0),
//           and the stamps of its words, article, range and place;
//         deleted rules in id order: a count, then each the deletion's stamp and the rule's
//           last values as a rule;
//         the bank ids imported, by account in id order: a count, then each the account's id,
//           a count of bank ids and each, in order.
//       A rule whose article or account is gone stays: a merge may bring it back.
//     6 the expense or deposit each imported bank id was recorded as (storage/IdentitySection,
//       CStatementMemory::RecordedItems), ids and texts as in 5, for its own device table;
//       written only where there is any, so that section 5 stays what an earlier version reads:
//         the layout (1); a count of devices, then each device's id (u64), slots 1, 2, ...;
//         by account in id order: a count, then each the account's id, a count of bank ids and
//           each in order: the bank id, a count of items and each item's id, in id order.
//       A bank id with items counts as recorded while one of them is in the document; one of
//       section 5 without any (an earlier version's import), for good.
//     7 the CSV readings remembered per account (storage/IdentitySection, CsvMemo of
//       statement/StatementMemory), numbers, ids and stamps as in 4, for its own device table;
//       written only where there is any:
//         the layout (1); a count of devices, then each device's id (u64), slots 1, 2, ...;
//         a count of accounts, then in id order each: the account's id, the stamp, the columns
//           from 1 (0 none) of the date, amount, debit, credit, description, category, account
//           and bank id (all 0: forgotten by an undone import), the encoding (0 UTF-8, 1 UTF-8
//           with a byte-order mark, 2 CP1251), the delimiter's and the decimal separator's
//           UTF-16 units, the date form (0 31.12.2025, 1 2025-12-31, 2 12/31/2025,
//           3 31/12/2025) and the rows before the operations.
//       An account deleted keeps its reading: a merge may bring it back.
//     8 the budgets (storage/IdentitySection, budget/Budgets), numbers, ids and stamps as in 4,
//       for its own device table; written only where there is any:
//         the layout (1); a count of devices, then each device's id (u64), slots 1, 2, ...;
//         the budgets in id order: a count, then each a budget: id, the node's id, a kind and
//           its plan (0 the same every month: the amount, the first month as year * 12 +
//           month - 1; 1 one year's months: the year, a mask of the months with an amount,
//           bit 0 January, and those amounts), whether the leftover carries (0 or 1), and the
//           stamps of its plan and its carry-over;
//         deleted budgets in id order: a count, then each the deletion's stamp and the
//           budget's last values as a budget.
//       Amounts are sizes in whole units. A budget whose node is gone stays: a merge may bring
//       the node back.
//     9 the scheduled expenses (storage/IdentitySection, schedule/Schedule), numbers, ids,
//       stamps and texts as in 4, for its own device table; written only where there is any:
//         the layout (1); a count of devices, then each device's id (u64), slots 1, 2, ...;
//         the schedules in id order: a count, then each a schedule: id, article id, amount
//           (signed), account id (0 none), note, first day, repeat (0 days, 1 weeks, 2 months,
//           3 years, 4 the last day of the month), its step (1 .. 999), weekend rule (0 keep,
//           1 the Friday before, 2 the Monday after), end (0 none, 1 on a day, 2 after a
//           count), the last day, the count, mode (0 remind, 1 record by itself), the stamps
//           of what it records, of its calendar and of its mode; then what became of its
//           occurrences: a count, then each in order the occurrences skipped since the last
//           one, its state (0 open again, 1 recorded, 2 skipped) and its stamp;
//         deleted schedules in id order: a count, then each the deletion's stamp and the
//           schedule's last values as a schedule.
//       An occurrence's expense has the id derived from its schedule's device, sequence and
//       number (OccurrenceExpenseId), stored in section 3 like any derived id.
// This program writes the movements, the identities, the import memory, its items, the CSV
// readings, the budgets, the schedules, then the notes, whose text so ends the file of a document
// without kept sections. A section of an id this program does not know is kept as it is and
// written back after the ones it knows.
#pragma once

#include "model/Movements.h"
#include "model/Notes.h"
#include "storage/IdentitySection.h"

#include <array>
#include <cstdint>
#include <optional>
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
    // The identities of the tree's items, these accounts and movements; none: no section.
    const CExpenseGroup* root = nullptr;
    const CLedgerIds* ids = nullptr;
    // The import rules and bank ids, written with the identities; none or empty: no section.
    const CStatementMemory* memory = nullptr;
    // The budgets, written with the identities; none or empty: no section.
    const CBudgetBook* budgets = nullptr;
    // The scheduled expenses, written with the identities; none or empty: no section.
    const CScheduleBook* schedules = nullptr;
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

// Appends the block, or nothing where there are no notes, movements, identities or kept
// sections: such a file is exactly what the writer of the tree alone writes.
void WriteExtensionBlock(CArchiveWriter& ar, const CNotePlaces& places, const CNoteTable& notes,
                         const ExtensionExtras& extras);

// What a block read gives.
struct ExtensionContent {
    CNoteTable notes;
    std::vector<CMovement> movements;
    std::vector<KeptSection> kept;
    // Read, to be applied to the items once the accounts are known (CIdentitySection::Apply).
    std::optional<CIdentitySection> identities;
    LedgerRecords records;                       // what Apply gives the document's identities
    std::optional<RememberedRecords> remembered; // section 4, given to them after (ApplyRecords)
    std::optional<MemoryRead> memory;            // section 5, after them (ApplyMemorySection)
    std::optional<BankItemsRead> bankItems;      // section 6, into the memory after it
    std::optional<CsvMemosRead> csv;             // section 7, into that memory (ApplyCsvSection)
    std::optional<BudgetsRead> budgets;          // section 8, after them (ApplyBudgetSection)
    std::optional<ScheduleRead> schedules;       // section 9, after them (ApplyScheduleSection)
};

// Reads the bytes after the root group's record, where the reader stands, into the tree's
// entries, the movements naming the accounts by their places in `accounts`; bytes that do
// not begin with the marker are no block and are let be, as they always were. Throws
// CArchiveError for a block this program cannot read, which makes the file damaged like any
// other damage.
// identitiesRead: the caller holds the identities, found before the tree
// (FindIdentitiesFromEnd); their section is stepped over.
[[nodiscard]] ExtensionContent ReadExtensionBlock(CArchiveReader& ar, CExpenseGroup& root,
                                                  std::span<CAccount* const> accounts,
                                                  bool identitiesRead = false);

// The identities' section of the block that ends the bytes left, looked for from their end
// before the tree is read, so that the ids can be decoded while it is. A block is found by
// its marker and a length that reaches exactly to the end; whether it is the one the tree
// ends at shows only once the tree is read: blockSize is then what remains.
struct FoundIdentities {
    std::vector<std::uint8_t> payload;
    std::size_t blockSize = 0;
};
[[nodiscard]] std::optional<FoundIdentities> FindIdentitiesFromEnd(CArchiveReader& ar);

} // namespace tamblero
