// The merge of two copies of one ledger that were changed apart, on two devices or in two
// runs: every change either copy made is kept, and where both changed one field the later
// stamp wins. Deterministic, commutative, associative and idempotent, so every device that
// meets the same copies, in whatever order, reaches the same document.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tamblero {

class CVerdalonDoc;

// What a merge brought in and decided, for the window and the command line to tell.
struct MergeReport {
    // Items the result holds that the first copy did not, per kind.
    int newGroups = 0;
    int newArticles = 0;
    int newAccounts = 0;
    int newExpenses = 0;
    int newMovements = 0;
    // Items of the first copy the result no longer holds: deleted on the other.
    int goneNodes = 0;
    int goneAccounts = 0;
    int goneExpenses = 0;
    int goneMovements = 0;
    // Fields of the first copy's items that the other's later change replaced.
    int changedFields = 0;
    // Nodes deleted on one copy that came back because an expense recorded on the other needs
    // them.
    int restoredNodes = 0;
    // Both copies changed one field of one item: what it is, each value, and which won.
    struct Conflict {
        std::u16string what;   // "Еда/Кафе: name", "account Карта: name", ...
        std::u16string ours;   // the first copy's value
        std::u16string theirs; // the other's value
        bool theirsWon = false;
    };
    std::vector<Conflict> conflicts;
    // Whether the import rules or the bank ids imported differ from the first copy's.
    bool changedMemory = false;
    // Whether the budgets differ from the first copy's.
    bool changedBudgets = false;
    // Whether the schedules or what became of their occurrences differ from the first copy's.
    bool changedSchedules = false;
    // Whether the result differs from the first copy at all.
    [[nodiscard]] bool ChangesOurs() const;
};

// Why a merge could not give a document; nothing was changed.
struct MergeRefusal {
    std::string english;
};

// Merges theirs into ours: ours becomes the merged document, its undo stack cleared and marked
// changed. Theirs is left as it was. False, ours unchanged, with the reason in refusal, where
// the result cannot be a document (an account's balance out of range, more accounts than a
// file holds).
bool MergeInto(CVerdalonDoc& ours, const CVerdalonDoc& theirs, MergeReport& report,
               MergeRefusal& refusal);

} // namespace tamblero
