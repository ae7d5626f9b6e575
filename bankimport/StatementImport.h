// A statement's rows brought into one account: the plan of what each row becomes (an expense
// of its article paid from the account, or a deposit into it) and what is skipped as already
// recorded, then all of it recorded as one change that one undo takes back.
#pragma once

#include "model/Money.h"
#include "statement/Duplicates.h"
#include "statement/Rules.h"
#include "statement/Statement.h"
#include "statement/StatementMemory.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tamblero {

class CAccount;
class CExpenseArticle;
class CVerdalonDoc;

struct ImportRow {
    StatementRow row;
    Amount amount = 0; // rounded half away from zero; negative goes out
    // The article an outgoing row is recorded to: a rule's, the statement's own category
    // where the tree has it, or the one chosen for the rest; null for none yet.
    CExpenseArticle* article = nullptr;
    bool byFallback = false; // the article is the one chosen for rows without one
    Duplicate duplicate = Duplicate::None;
    bool checked = false; // to be recorded

    [[nodiscard]] bool IsDeposit() const { return amount > 0; }
};

struct ImportPlan {
    CAccount* account = nullptr;
    std::vector<ImportRow> rows;

    // The lines of the checked outgoing rows left without an article.
    [[nodiscard]] std::vector<std::size_t> LinesWithoutArticle() const;
    // What the checked rows do to the account's balance.
    [[nodiscard]] std::int64_t BalanceChange() const;
    [[nodiscard]] std::size_t CheckedCount() const;
};

// Each row with its rounded amount and article, a row the document already holds (by its
// bank id among those imported into the account, or as the same operation) unchecked and
// marked, as is one of no whole amount. unassigned: the article of the outgoing rows that
// nothing else gives one; null to leave them without.
[[nodiscard]] ImportPlan PlanImport(const CVerdalonDoc& doc, CAccount& account,
                                    std::vector<StatementRow> rows,
                                    CExpenseArticle* unassigned = nullptr);

enum class ImportResult {
    Imported,
    Nothing,         // no row is checked
    NoArticle,       // a checked outgoing row has no article (LinesWithoutArticle)
    Unnameable,      // the account is past the ones an expense can name
    BalanceRange,    // the balance would leave its range (the user is told, where asked)
    NegativeRefused, // the user's No to the balance turning negative
};

// Records every checked row as one change on the undo stack, and remembers the rows' bank ids
// as imported into the account, the rules the user taught while looking the rows over, and
// the CSV reading given (its stamp set then) as the account's, so that one undo takes back all
// of it; recording nothing unless it answers Imported.
[[nodiscard]] ImportResult ImportStatement(CVerdalonDoc& doc, const ImportPlan& plan,
                                           std::vector<StatementRule> learnt = {},
                                           std::optional<CsvMemo> csv = std::nullopt);

} // namespace tamblero
