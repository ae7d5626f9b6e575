// Which rows of a statement the document already holds, so that importing it twice, or a
// statement overlapping the last one, records nothing twice.
#pragma once

#include "model/Money.h"
#include "period/DayNumber.h"
#include "statement/Statement.h"

#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace tamblero {

class CAccount;
class CExpenseGroup;
class CMovementList;
class CNoteTable;

enum class Duplicate {
    None,
    SameBankId,   // the bank's id of an operation imported before
    SameOperation // the same account, rounded amount and note within kDuplicateDays days
};

// How far apart a bank's day and the day the user recorded the payment may be.
inline constexpr DayNumber kDuplicateDays = 3;

// The money the document records going out of one account and into it, indexed once by
// amount and day: a statement's row is then looked up, not compared with every entry. It
// refers to the document's notes and movements: it holds until the document changes.
class CDuplicateIndex final {
public:
    // The expenses paid from the account (an amount going out), its deposits and the
    // transfers into it (coming in) and out of it (going out).
    CDuplicateIndex(const CExpenseGroup& root, const CMovementList& movements,
                    const CNoteTable& notes, const CAccount* account);

    // Whether the row is recorded: its bank id is one of the known ones, or an operation of
    // the account of its rounded amount, within kDuplicateDays of its day, has the note its
    // import would write (ImportNote) or the bank's words alone, as the user may have typed.
    [[nodiscard]] Duplicate Find(const StatementRow& row,
                                 const std::unordered_set<std::u16string>& knownIds) const {
        return Match(row, knownIds, nullptr);
    }
    // Each row's answer, in the rows' order, an operation answering for one row at most: two
    // fares recorded do not hide a third of the same day and words.
    [[nodiscard]] std::vector<Duplicate>
    Mark(const std::vector<StatementRow>& rows,
         const std::unordered_set<std::u16string>& knownIds) const;
    [[nodiscard]] std::size_t size() const { return m_entries.size(); }

private:
    // Find, skipping the operations `taken` marks and marking the one found.
    [[nodiscard]] Duplicate Match(const StatementRow& row,
                                  const std::unordered_set<std::u16string>& knownIds,
                                  std::vector<bool>* taken) const;

    struct Entry {
        Amount amount; // signed as in a statement: negative goes out
        DayNumber day;
        std::u16string_view note;
    };
    std::vector<Entry> m_entries; // by amount, then day
};

// Each row's answer, in the rows' order (CDuplicateIndex::Mark).
[[nodiscard]] inline std::vector<Duplicate>
MarkDuplicates(const std::vector<StatementRow>& rows, const CDuplicateIndex& index,
               const std::unordered_set<std::u16string>& knownIds) {
    return index.Mark(rows, knownIds);
}

} // namespace tamblero
