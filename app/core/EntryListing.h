// The expenses behind a number of the grid: every entry of a node over a range of days,
// as the entries dialog and the command line's "entries" list them.
#pragma once

#include "model/EntryList.h"
#include "model/Money.h"
#include "period/DayNumber.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tamblero {

class CAccount;
class CCategoryNode;
class CExpenseArticle;
class CExpenseGroup;

// One entry, copied out of its day.
struct EntryRow {
    DayNumber day = 0;
    Amount amount = 0;
    CExpenseArticle* article = nullptr;
    CAccount* account = nullptr; // null: the entry names no account
    NoteKey note = kNoNote;
    int slot = 0; // the entry's place in its day, which tells apart two entries alike

    [[nodiscard]] CExpenseEntry Entry() const { return {account, amount, note}; }
};

// A row of a listing whose entry has a note: what a search over notes looks at, a fifth of
// the rows where every fifth entry has one.
struct NotedRow {
    std::uint32_t row = 0;
    NoteKey note = kNoNote;
    Amount amount = 0;
};

// Some rows of a listing, in order, and what they add up to.
struct RowSelection {
    std::vector<std::uint32_t> rows;
    Amount total = 0;

    // Takes out the selection's row at `at`, whose row of the listing is being taken out
    // (CEntryListing::TakeOut): the rows after it move up by one.
    void TakeOut(std::size_t at, Amount amount);
};

// The entries of the node (an article, or every article below a group) from first to last
// day, both included: oldest day first, and within a day in the history's order (a group's
// sub-groups before its own articles, an article's entries as recorded).
//
// Kept as an index of the articles' days, read in place: a million entries cost their
// 200,000 days, not a copy of each. It points into the day maps, so it lasts only while no
// day is added to an article below the node, as a modal dialog over it ensures.
class CEntryListing final {
public:
    CEntryListing(CCategoryNode& node, DayNumber first, DayNumber last);

    [[nodiscard]] std::size_t size() const { return m_days.empty() ? 0 : m_days.back().end; }
    [[nodiscard]] EntryRow operator[](std::size_t row) const;
    // What the rows add up to, wrapping as every total does: the cell's number.
    [[nodiscard]] Amount Total() const { return m_total; }
    // Calls f(const EntryRow&) for every row in order.
    template <class F> void ForEach(F&& f) const {
        std::uint32_t row = 0;
        for (const Day& d : m_days) {
            int slot = 0;
            for (const CExpenseEntry& e : d.list->Entries().first(d.end - row)) {
                f(EntryRow{d.day, e.m_nAmount, d.article, e.m_pAccount, e.m_nNote, slot++});
            }
            row = d.end;
        }
    }

    // The rows with a note, in order.
    [[nodiscard]] std::vector<NotedRow> NotedRows() const;

    // Takes the row out ahead of the undo of its entry, which the caller then does with
    // UndoExpense: from then on that day shows one entry fewer. Answers the row as it was.
    EntryRow TakeOut(std::size_t row);

private:
    struct Day {
        const CEntryList* list;
        CExpenseArticle* article;
        DayNumber day;
        std::uint32_t end; // the rows of this day and every day before it
    };
    std::vector<Day> m_days;
    Amount m_total = 0;
};

// The rows whose note is marked, as CNoteSearch::Matching answers, indexed by key; a key
// past its end is unmarked.
[[nodiscard]] RowSelection SelectByNote(std::span<const NotedRow> noted,
                                        const std::vector<bool>& notes);
// Takes the listing's row out of the noted rows, as CEntryListing::TakeOut does with it:
// the rows after it move up by one.
void TakeOutNoted(std::vector<NotedRow>& noted, std::uint32_t row);

// The listing's rows copied out, for the command line and the tests.
[[nodiscard]] std::vector<EntryRow> ListEntries(CCategoryNode& node, DayNumber first,
                                                DayNumber last);

// What the rows add up to, wrapping as every total does.
[[nodiscard]] Amount SumEntries(std::span<const EntryRow> rows);

// The node's names below the root joined by " / ": "Еда / Обед"; empty for the root.
[[nodiscard]] std::u16string CategoryPath(const CCategoryNode& node);

// The node such a path names, each name looked up among the children in the tree's
// order (groups first); the root itself for an empty path, null when none matches.
[[nodiscard]] CCategoryNode* FindCategory(CExpenseGroup& root, std::u16string_view path);

} // namespace tamblero
