// Expenses brought in from CSV in the export's own layout: "date,category,amount,account"
// with a header, RFC 4180 quoting, UTF-8 with or without a BOM, LF or CRLF line ends.
// A file is read and checked whole before anything changes, so a bad row leaves the
// document exactly as it was.
#pragma once

#include "model/Money.h"
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

// An amount written as a whole number in the signed 32-bit range, or nothing.
[[nodiscard]] std::optional<Amount> ParseAmount(std::string_view text);

// Why a file was refused, and where.
struct CsvImportError {
    enum class Kind {
        Header,          // the first record is not date,category,amount,account
        Quotes,          // a quoted field not closed, or text after its closing quote
        ColumnCount,     // a row without exactly four fields
        Date,            // not a real day written YYYY-MM-DD from 1601 to 9999
        BadAmount,       // not a whole number in the signed 32-bit range
        EmptyCategory,   // no category named
        TooManyAccounts, // the row's account would be one more than the list holds
        TooDeep,         // the category's groups would nest deeper than a data file holds
    };
    Kind kind = Kind::Header;
    int line = 0;
    std::string text; // the offending field as read, or the field count; may be empty
};

// What an import would add, shown before anything changes.
struct CsvImportSummary {
    std::size_t entries = 0;
    Amount total = 0; // wraps like every total
    int newAccounts = 0;
    int newGroups = 0;
    int newArticles = 0;
    // Of the accounts the rows charge, how many end below zero.
    int negativeAccounts = 0;
    std::optional<DaySpan> days;
};

// A checked file, ready to be recorded. The category path (" / "-separated, below the
// root) is found or created group by group, with missing groups and a missing article
// appended at the end as the tree commands do; the account is found by its exact name
// or created with balance 0, an empty one meaning none; its balance goes down by the
// amount without any question.
class CCsvImport final {
public:
    // Reads and checks every row against the document without changing it. Answers
    // nothing, with the first bad row in error, when any row is bad.
    [[nodiscard]] static std::optional<CCsvImport>
    Prepare(std::string_view text, const CVerdalonDoc& doc, CsvImportError& error);

    [[nodiscard]] const CsvImportSummary& Summary() const { return m_summary; }

    // Records every row in the document. Answers false, changing nothing, only when the
    // document gained accounts since Prepare so that the new ones no longer fit.
    bool Apply(CVerdalonDoc& doc) const;

private:
    struct Row {
        DayNumber day;
        Amount amount;
        std::uint32_t category; // index into m_categories
        std::uint32_t account;  // index into m_accountNames, or kNoAccount
    };
    static constexpr std::uint32_t kNoAccount = UINT32_MAX;

    CCsvImport() = default;

    std::vector<Row> m_rows;
    std::vector<std::vector<std::u16string>> m_categories; // paths in order of first use
    std::vector<std::u16string> m_accountNames;            // in order of first use
    std::vector<Amount> m_accountCharges;                  // per name, the rows' sum
    CsvImportSummary m_summary;
};

} // namespace tamblero
