// Section 3 of the extension block: the lasting identities (model/Identity.h) of what the
// file's tree, accounts and movements hold, and the document's devices, expense stamps and
// deletion records. Its layout is in storage/ExtensionBlock.h.
#pragma once

#include "budget/Budgets.h"
#include "model/Identity.h"
#include "schedule/Schedule.h"
#include "statement/StatementMemory.h"

#include <cstdint>
#include <map>
#include <memory>
#include <span>
#include <unordered_map>
#include <vector>

namespace tamblero {

class CAccount;
class CAccountList;
class CArchiveReader;
class CExpenseArticle;
class CExpenseGroup;
class CNoteTable;
struct CMovement;

inline constexpr std::uint32_t kIdentitySection = 3;
inline constexpr std::uint64_t kIdentityLayout = 1;

// What the section gives the document's CLedgerIds.
struct LedgerRecords {
    std::vector<DeviceId> devices; // slots 1, 2, ... in order
    std::unordered_map<ItemId, ExpenseStamps> expenseStamps;
    std::unordered_map<ItemId, CStamp> goneExpenses;
    std::vector<Tombstone> goneNodes;
    std::vector<Tombstone> goneAccounts;
    std::vector<Tombstone> goneMovements;
    // The largest made expense id read of each device: the expenses need no walk to find them.
    std::vector<ItemId> largestExpenseIds;
};

// Section 4: what deletion records remember and what a merge keeps beyond the items (the
// CLedgerIds members from m_lastExpenses on). Its layout is in storage/ExtensionBlock.h. Its
// ids name the slots of its own device table, which Install translates.
inline constexpr std::uint32_t kRecordsSection = 4;
inline constexpr std::uint64_t kRecordsLayout = 1;

struct RememberedRecords {
    std::vector<DeviceId> devices; // slots 1, 2, ... in order
    std::unordered_map<ItemId, ExpenseLast> lastExpenses;
    std::vector<NodeLast> lastNodes;
    std::vector<AccountLast> lastAccounts;
    std::vector<MovementLast> parkedMovements;
    std::unordered_map<ItemId, CLedgerIds::HeldId> goneAccountOf;
    std::unordered_map<ItemId, CLedgerIds::HeldId> movedFrom;
    std::unordered_map<ItemId, CLedgerIds::HeldId> placedFrom;
    std::unordered_map<ItemId, ItemId> goneSides;
};

// The payload of section 4; empty where the document remembers nothing (no section then).
[[nodiscard]] std::vector<std::uint8_t> WriteRecordsSection(const CLedgerIds& ids);
// Reads a whole payload; throws CArchiveError naming the fault of a damaged one.
[[nodiscard]] RememberedRecords ReadRecordsSection(CArchiveReader& ar);
// Gives the ids what the section holds, its slots translated into theirs (the device table and
// the deletion records read first); what names no deletion record the ids hold (a program that
// kept the section unread undid a deletion) is left out.
void ApplyRecords(RememberedRecords& records, CLedgerIds& ids);

// Section 5: the import memory (statement/StatementMemory): the rules with their ids, keys and
// stamps, the deleted rules' records and the bank ids imported per account. Its layout is in
// storage/ExtensionBlock.h. Its ids name the slots of its own device table, which
// ApplyMemorySection translates.
inline constexpr std::uint32_t kMemorySection = 5;
inline constexpr std::uint64_t kMemoryLayout = 1;

struct MemoryRead {
    std::vector<DeviceId> devices; // slots 1, 2, ... in order
    CStatementMemory memory;       // its ids in the section's slots
};

// The payload of section 5; empty where the memory holds nothing (no section then).
[[nodiscard]] std::vector<std::uint8_t> WriteMemorySection(const CStatementMemory& memory,
                                                           const CLedgerIds& ids);
// Reads a whole payload; throws CArchiveError naming the fault of a damaged one.
[[nodiscard]] MemoryRead ReadMemorySection(CArchiveReader& ar);
// The memory read, its ids in the slots of the document's ids (its device table read first).
[[nodiscard]] CStatementMemory ApplyMemorySection(MemoryRead& read, CLedgerIds& ids);

// Section 6: the expense or deposit each imported bank id was recorded as
// (CStatementMemory::RecordedItems), apart from section 5 so that an earlier version, which
// keeps a section it does not know as bytes, still reads and writes section 5 as ever. Its
// layout is in storage/ExtensionBlock.h; its ids name the slots of its own device table.
inline constexpr std::uint32_t kBankItemsSection = 6;
inline constexpr std::uint64_t kBankItemsLayout = 1;

struct BankItemsRead {
    std::vector<DeviceId> devices;        // slots 1, 2, ... in order
    std::vector<RecordedBankId> recorded; // its ids in the section's slots
};

// The payload of section 6; empty where no bank id has an item (no section then).
[[nodiscard]] std::vector<std::uint8_t> WriteBankItemsSection(const CStatementMemory& memory,
                                                              const CLedgerIds& ids);
// Reads a whole payload; throws CArchiveError naming the fault of a damaged one.
[[nodiscard]] BankItemsRead ReadBankItemsSection(CArchiveReader& ar);
// Gives the memory the pairs read, their ids in the slots of the document's ids; a pair naming
// a device the table cannot hold is left out.
void ApplyBankItemsSection(const BankItemsRead& read, CLedgerIds& ids, CStatementMemory& memory);
// Section 7: the CSV readings remembered per account (CsvMemo of statement/StatementMemory),
// kept apart from section 5 so that a program that knows only that one keeps these as bytes.
// Its layout is in storage/ExtensionBlock.h.
inline constexpr std::uint32_t kCsvSection = 7;
inline constexpr std::uint64_t kCsvLayout = 1;

struct CsvMemosRead {
    std::vector<DeviceId> devices;   // slots 1, 2, ... in order
    std::map<ItemId, CsvMemo> memos; // by account, its id in the section's slots
};

// The payload of section 7; empty where no account has one (no section then).
[[nodiscard]] std::vector<std::uint8_t> WriteCsvSection(const CStatementMemory& memory,
                                                        const CLedgerIds& ids);
// Reads a whole payload; throws CArchiveError naming the fault of a damaged one.
[[nodiscard]] CsvMemosRead ReadCsvSection(CArchiveReader& ar);
// Gives the memory what was read, its ids in the slots of the document's ids.
void ApplyCsvSection(CsvMemosRead& read, CLedgerIds& ids, CStatementMemory& memory);

// Section 8: the budgets (budget/Budgets) with their ids and stamps, and the deleted ones'
// records. Its layout is in storage/ExtensionBlock.h; its ids name the slots of its own device
// table, which ApplyBudgetSection translates.
inline constexpr std::uint32_t kBudgetSection = 8;
inline constexpr std::uint64_t kBudgetLayout = 1;

struct BudgetsRead {
    std::vector<DeviceId> devices; // slots 1, 2, ... in order
    CBudgetBook book;              // its ids in the section's slots
};

// The payload of section 8; empty where there are no budgets and no records (no section then).
[[nodiscard]] std::vector<std::uint8_t> WriteBudgetSection(const CBudgetBook& book,
                                                           const CLedgerIds& ids);
// Reads a whole payload; throws CArchiveError naming the fault of a damaged one.
[[nodiscard]] BudgetsRead ReadBudgetSection(CArchiveReader& ar);
// The budgets read, their ids in the slots of the document's ids (its device table read first).
[[nodiscard]] CBudgetBook ApplyBudgetSection(BudgetsRead& read, CLedgerIds& ids);

// Section 9: the scheduled expenses (schedule/Schedule): each with its id, terms, stamps and
// what became of its occurrences, and the deleted ones' records. Its layout is in
// storage/ExtensionBlock.h; its ids name the slots of its own device table.
inline constexpr std::uint32_t kScheduleSection = 9;
inline constexpr std::uint64_t kScheduleLayout = 1;

struct ScheduleRead {
    std::vector<DeviceId> devices; // slots 1, 2, ... in order
    // Their ids in the section's slots.
    std::vector<Schedule> items;
    std::vector<GoneSchedule> gone;
};

// The payload of section 9; empty where there are no schedules (no section then).
[[nodiscard]] std::vector<std::uint8_t> WriteScheduleSection(const CScheduleBook& book,
                                                             const CLedgerIds& ids);
// Reads a whole payload; throws CArchiveError naming the fault of a damaged one.
[[nodiscard]] ScheduleRead ReadScheduleSection(CArchiveReader& ar);
// The schedules read, their ids in the slots of the document's ids.
[[nodiscard]] CScheduleBook ApplyScheduleSection(ScheduleRead& read, CLedgerIds& ids);

// The payload of the section for these items and the document's identities.
[[nodiscard]] std::vector<std::uint8_t> WriteIdentitySection(const CExpenseGroup& root,
                                                             const CAccountList& accounts,
                                                             std::span<const CMovement> movements,
                                                             const CNoteTable& notes,
                                                             const CLedgerIds& ids);

// Takes back the ids a reader gave the entries as it read them, where they prove not to be
// theirs.
void ForgetExpenseIds(CExpenseGroup& root);

// The section as read, applied once the whole block is: the derived ids of expenses depend
// on their notes, which the block holds after it.
class CIdentitySection final {
public:
    // Reads a whole payload; throws CArchiveError naming the fault of a damaged one.
    explicit CIdentitySection(CArchiveReader& ar);

    ~CIdentitySection();
    CIdentitySection(CIdentitySection&&) noexcept;
    CIdentitySection& operator=(CIdentitySection&&) noexcept;

    // A reader that found the section before the tree gives each entry its id as it reads it,
    // sparing a walk over every entry after. False where the section describes more entries
    // than the file's mostEntries can hold.
    bool StartGiving(std::uint64_t mostEntries);
    // The ids of the next out.size() entries in file order, out.size() at most IdsLeft(): at
    // their place none, to be derived. False, for good, where the runs are damaged: Apply
    // then says how.
    bool GiveIds(std::span<ItemId> out);
    [[nodiscard]] std::uint64_t IdsLeft() const { return m_fingerprint.entries - m_nGiven; }
    // The reader gave the day's entries, the first-th in file order and on, their ids: where
    // the section stamps any, Apply finds them here.
    void NoteGivenDay(CExpenseArticle& article, std::uint32_t day, std::uint64_t first, int count) {
        if (m_nextStamp < m_stamps.size() &&
            m_stamps[m_nextStamp].entry < first + static_cast<std::uint64_t>(count)) {
            NoteStampedDay(article, day, first, count);
        }
    }

    // Gives the items their ids and stamps where the section describes them as they are, and
    // the records to the document. A tree changed since the section was written (by a
    // program that kept the section without knowing it) keeps the ids it has, none: it is
    // derived as a file without the section. Throws CArchiveError for what only the tree
    // shows damaged.
    struct Fingerprint;
    // The tree's own fingerprint, where the reader took it as it parsed (Note*, below), saves a
    // walk over every entry; without it the tree is measured.
    // given: the reader gave the entries their ids (GiveIds).
    void Apply(CExpenseGroup& root, std::span<const std::unique_ptr<CAccount>> accounts,
               std::span<CMovement> movements, const CNoteTable& notes, LedgerRecords& records,
               const Fingerprint* parsed = nullptr, bool given = false);

    // What the tree must show for the items' ids to be its own.
    struct Fingerprint {
        std::uint64_t nodes = 0;
        std::uint64_t accounts = 0;
        std::uint64_t movements = 0;
        std::uint64_t buckets = 0;
        std::uint64_t entries = 0;
        std::int64_t amounts = 0; // their sum
        std::uint64_t days = 0;   // the sum of each entry's day
        std::uint64_t shape = 0;  // a hash of the names, days and amounts in file order
        bool operator==(const Fingerprint&) const = default;

        // The tree's parts in the order the file stores them.
        void NoteNode(bool group, std::u16string_view name);
        void NoteDay(std::uint64_t day, std::uint64_t count) {
            ++buckets;
            shape = Mix(shape, day);
            entries += count;
            days += count * day;
        }
        void NoteAmount(std::int32_t amount) {
            amounts += amount;
            shape = Mix(shape, static_cast<std::uint32_t>(amount));
        }
        static std::uint64_t Mix(std::uint64_t h, std::uint64_t v) {
            return (h ^ v) * 0x9E3779B97F4A7C15ULL + 0x632BE59BD9B4E019ULL;
        }
    };

private:
    struct NodeIds {
        ItemId id;
        CStamp name;
        CStamp place;
    };
    struct AccountIds {
        ItemId id;
        CStamp created;
        CStamp name;
        CStamp opening;
    };
    struct MovementIds {
        ItemId id;
        CStamp created;
    };
    struct StampsAt {
        std::uint64_t entry; // its index in file order
        ExpenseStamps stamps;
    };

    class CRunReader;
    void NoteStampedDay(CExpenseArticle& article, std::uint32_t day, std::uint64_t first,
                        int count);
    struct StampedDay {
        CExpenseArticle* article;
        std::uint32_t day;
        std::uint64_t first; // its first entry's index in file order
        int count;
    };
    // The stamps of the entries of one day, from the stamp'th on: the ids of those at their
    // place derived. Answers the first stamp past the day.
    std::size_t StampDay(const StampedDay& at, std::size_t stamp, const CRunReader& runs,
                         const CNoteTable& notes, LedgerRecords& records) const;
    void ApplyExpenses(CExpenseGroup& root, const CNoteTable& notes, LedgerRecords& records);
    void ApplyGivenExpenses(const CNoteTable& notes, LedgerRecords& records);

    Fingerprint m_fingerprint;
    std::vector<NodeIds> m_nodes;
    std::vector<AccountIds> m_accounts;
    std::vector<MovementIds> m_movements;
    std::vector<std::uint8_t> m_expenseRuns; // copied: the notes' text may be read over them
    std::vector<StampsAt> m_stamps;
    LedgerRecords m_records;
    std::size_t m_nSlots = 1; // the device table's, slot 0 included
    std::unique_ptr<CRunReader> m_giving;
    std::vector<StampedDay> m_stampedDays;
    std::size_t m_nextStamp = 0; // the first of m_stamps past the days read
    std::uint64_t m_nGiven = 0;
};

} // namespace tamblero
