// Expenses brought in from CSV in the export's own layout:
// "date,category,amount,account,note,id" with a header, without the note as exports were
// before notes, without the id as exports were before lasting ids; RFC 4180 quoting, UTF-8
// with or without a BOM, LF or CRLF line ends.
// A file is read and checked whole before anything changes, so a bad row leaves the
// document exactly as it was.
#pragma once

#include "model/Identity.h"
#include "model/Money.h"
#include "model/Notes.h"
#include "period/Period.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tamblero {

class CVerdalonDoc;

// Splits CSV text into records of fields. Fields are views into the text, or into the
// reader's own storage for a quoted field with doubled quotes; they last until the next
// call of Next.
class CCsvReader final {
public:
    enum class Status { Record, End, BadQuotes };

    // A leading byte-order mark is skipped.
    explicit CCsvReader(std::string_view text);

    // The next record; blank lines are passed over. BadQuotes for a quoted field that is
    // never closed or has text after its closing quote.
    Status Next();
    [[nodiscard]] std::span<const std::string_view> Fields() const {
        return {m_fields.data(), m_count};
    }
    // The line the last record began on, counted from 1; a line break inside quotes
    // counts as a line.
    [[nodiscard]] int Line() const { return m_recordLine; }

private:
    bool ReadQuoted(std::string_view& field);

    std::string_view m_text;
    std::size_t m_pos = 0;
    int m_line = 1;
    int m_recordLine = 1;
    std::vector<std::string_view> m_fields;
    std::size_t m_count = 0;
    // One per field position, reused; a deque, so earlier fields stay put as it grows.
    std::deque<std::string> m_unescaped;
};

// The largest CSV file an import reads: what a data file may be, and what the import
// has always taken; its text, its rows and the tree they make must fit in memory together.
inline constexpr std::uint64_t kMaxCsvBytes = std::uint64_t{2} << 30U; // 2 GiB

// A category path as the export writes it: the names below the root joined by " / ". So
// that any names come back as they were, a "/" with a blank on both sides (which would read
// as a separator) is written "\/", a backslash before a slash or another backslash is
// doubled, and an empty name is written as a lone backslash. Nothing else is escaped: a
// path of an earlier export reads as it always did unless a name in it holds "\/" or "\\"
// or is a lone backslash.
[[nodiscard]] std::u16string JoinCategoryPath(std::span<const std::u16string> names);
// The names of such a path, never none.
[[nodiscard]] std::vector<std::u16string> SplitCategoryPath(std::u16string_view path);

// An amount written as a whole number in the signed 32-bit range, or nothing.
[[nodiscard]] std::optional<Amount> ParseAmount(std::string_view text);

// An expense's id as a CSV file carries it, naming the same expense in every document: one
// made on a device as the device's 16 hex digits, "-" and its sequence number in decimal
// ("5c41b7e000000001-17"); a derived one as "d" and its 16 hex digits. Empty for none.
[[nodiscard]] std::string ExpenseIdText(const CLedgerIds& ids, ItemId id);

// Why a file was refused, and where.
struct CsvImportError {
    enum class Kind {
        Header,            // the first record is not date,category,amount,account[,note][,id]
        Quotes,            // a quoted field not closed, or text after its closing quote
        ColumnCount,       // a row without as many fields as the header
        Date,              // not a real day written YYYY-MM-DD from 1601 to 9999
        BadAmount,         // not a whole number in the signed 32-bit range
        EmptyCategory,     // no category named
        TooManyAccounts,   // the row's account would be one more than the list holds
        TooDeep,           // the category's groups would nest deeper than a data file holds
        NotUtf8,           // bytes that are not well-formed UTF-8; text: the first, in hex
        UnnameableAccount, // an account the file has past the ones an entry can name
        AccountsOverfull,  // a new account, where the file already holds more than it may
        BalanceRange,      // the account's balance would leave the signed 32-bit range
        TotalRange,        // the total of the rows would leave the signed 32-bit range
    };
    Kind kind = Kind::Header;
    int line = 0;
    std::string text; // the offending field as read, or the field count; may be empty
    // The fields the header has, the account's place counted from 1, the accounts the file
    // holds, or the balance or total that would be reached.
    std::int64_t number = 0;
};

// What an import would add, shown before anything changes.
struct CsvImportSummary {
    std::size_t entries = 0;
    Amount total = 0; // a file whose total would leave the Amount range is refused
    int newAccounts = 0;
    int newGroups = 0;
    int newArticles = 0;
    // Of the accounts the rows charge, how many end below zero.
    int negativeAccounts = 0;
    std::optional<DaySpan> days;
};

// A checked file, ready to be recorded. A note is cleaned (CleanNote) and added to the
// document's notes; an empty one is none. The category path (" / "-separated, below the
// root) is found or created group by group, with missing groups and a missing article
// appended at the end as the tree commands do; the account is found by its exact name
// or created with balance 0, an empty one meaning none; its balance goes down by the
// amount without any question. An expense keeps the id its row names when the document has
// none such, live or deleted, and no earlier row names it; else, and where the id is missing
// or not one, it gets a new id of this device, as one typed in does.
class CCsvImport final {
public:
    // Reads and checks every row against the document without changing it. Answers
    // nothing, with the first bad row in error, when any row is bad.
    [[nodiscard]] static std::optional<CCsvImport>
    Prepare(std::string_view text, const CVerdalonDoc& doc, CsvImportError& error);

    [[nodiscard]] const CsvImportSummary& Summary() const { return m_summary; }

    // Records every row in the document. Answers false, changing nothing, with the reason
    // in error, only when the document changed since Prepare so that the rows no longer
    // fit: the new accounts, or an account's balance.
    bool Apply(CVerdalonDoc& doc, CsvImportError& error) const;

private:
    struct Row {
        DayNumber day;
        Amount amount;
        std::uint32_t category; // index into m_categories
        std::uint32_t account;  // index into m_accountNames, or kNoAccount
        NoteKey note;           // in m_notes
        std::uint32_t place;    // in m_rows, which a file of at most 2 GiB cannot overflow
    };
    static constexpr std::uint32_t kNoAccount = UINT32_MAX;

    CCsvImport() = default;

    // Per row, the id its expense keeps in the document, none for a new one; empty when the
    // file names no ids. Adds the file's devices to the document's table, and has every id
    // kept seen, so that no new id can be one of them.
    [[nodiscard]] std::vector<ItemId> KeepIds(CVerdalonDoc& doc) const;

    std::vector<Row> m_rows;
    std::vector<std::vector<std::u16string>> m_categories; // paths in order of first use
    std::vector<std::u16string> m_accountNames;            // in order of first use
    std::vector<std::int64_t> m_accountCharges;            // per name, the rows' sum
    std::vector<int> m_accountLines;                       // per name, its first row's line
    CNoteTable m_notes;                                    // in order of the rows
    // Per row, when the file has ids, its id as the file names it: derived, or a sequence
    // above the place of its device in m_idDevices counted from 1; none for a new one.
    std::vector<ItemId> m_ids;
    std::vector<DeviceId> m_idDevices; // of the rows' ids, first use first
    bool m_hasIds = false;             // some row names a well-formed id
    CsvImportSummary m_summary;
};

} // namespace tamblero
