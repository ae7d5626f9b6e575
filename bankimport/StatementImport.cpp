#include "bankimport/StatementImport.h"

#include "statement/RuleChanges.h"

#include "app/core/EntryListing.h"
#include "model/Account.h"
#include "model/CategoryNode.h"
#include "model/Identity.h"
#include "model/ModelHost.h"
#include "model/Movements.h"
#include "model/Notes.h"
#include "model/UndoStack.h"
#include "period/Period.h"
#include "resources/StringTable.h"
#include "statement/RuleChanges.h"
#include "storage/VerdalonDoc.h"

#include <algorithm>
#include <memory>
#include <unordered_set>
#include <utility>

namespace tamblero {

std::vector<std::size_t> ImportPlan::LinesWithoutArticle() const {
    std::vector<std::size_t> lines;
    for (const ImportRow& r : rows) {
        if (r.checked && !r.IsDeposit() && r.article == nullptr) {
            lines.push_back(r.row.line);
        }
    }
    return lines;
}

std::int64_t ImportPlan::BalanceChange() const {
    std::int64_t change = 0;
    for (const ImportRow& r : rows) {
        if (r.checked) {
            change += r.amount;
        }
    }
    return change;
}

std::size_t ImportPlan::CheckedCount() const {
    return static_cast<std::size_t>(
        std::count_if(rows.begin(), rows.end(), [](const ImportRow& r) { return r.checked; }));
}

namespace {

// The article a statement's own category names: a path as the export writes it, or QIF's
// "Group:Article".
CExpenseArticle* ArticleNamed(CExpenseGroup& root, const std::u16string& category) {
    CCategoryNode* node = FindCategory(root, category);
    if (node == nullptr && category.find(u':') != std::u16string::npos) {
        std::u16string path;
        for (const char16_t c : category) {
            path += c == u':' ? std::u16string_view(u" / ") : std::u16string_view(&c, 1);
        }
        node = FindCategory(root, path);
    }
    return node != nullptr ? node->AsArticle() : nullptr;
}

} // namespace

ImportPlan PlanImport(const CVerdalonDoc& doc, CAccount& account, std::vector<StatementRow> rows,
                      CExpenseArticle* unassigned) {
    ImportPlan plan;
    plan.account = &account;
    CExpenseGroup* root = doc.GetRoot();
    if (root == nullptr) {
        return plan; // no document read: nothing to plan against
    }
    // The rules name articles by lasting id: looked up once, not per row.
    const CRuleArticles articles(*root, doc.Ids());
    const CStatementMemory& memory = doc.StatementMemory();
    // A bank id whose every expense or deposit was taken back (an undone import, a deletion,
    // here or on another copy) is new again.
    const CLedgerIds& ids = doc.Ids();
    std::unordered_set<ItemId> goneMovements;
    for (const Tombstone& gone : ids.m_goneMovements) {
        goneMovements.insert(gone.id);
    }
    const CStatementMemory::BankIds known = memory.KnownIn(account.m_nId, [&](ItemId item) {
        return ids.m_goneExpenses.contains(item) || goneMovements.contains(item);
    });
    const CDuplicateIndex index(*root, doc.Movements(), doc.Notes(), &account);
    const std::vector<Duplicate> duplicates = MarkDuplicates(rows, index, known);

    plan.rows.reserve(rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        ImportRow r;
        r.row = std::move(rows[i]);
        // The readers refuse an amount no whole unit holds.
        r.amount = RoundToWhole(r.row.hundredths).value_or(0);
        r.duplicate = duplicates[i];
        r.checked = r.duplicate == Duplicate::None && r.amount != 0;
        if (!r.IsDeposit()) {
            r.article = articles.Find(memory.Rules().Match(r.row.description, r.amount));
            if (r.article == nullptr && !r.row.category.empty()) {
                r.article = ArticleNamed(*root, r.row.category);
            }
            if (r.article == nullptr && unassigned != nullptr) {
                r.article = unassigned;
                r.byFallback = true;
            }
        }
        plan.rows.push_back(std::move(r));
    }
    return plan;
}

namespace {

// The statement's checked rows, recorded together: the expenses appended to their days, the
// deposits after the movements, the bank ids remembered. Undo takes them back in the reverse
// order, so that each day shrinks to what it held before.
class CImportStatement final : public IUndoCommand {
public:
    struct Expense {
        CExpenseArticle* article;
        DayNumber day;
        Amount amount; // going out
        NoteKey note;
        ItemId id;
        std::u16string bankId; // none: empty
        int countBefore = -1;
    };

    // depositBankIds: the bank's id of each deposit, in their order.
    CImportStatement(CVerdalonDoc& doc, CAccount& account, std::vector<Expense> expenses,
                     std::vector<CMovement> deposits, std::vector<std::u16string> depositBankIds,
                     std::vector<StatementRule> learnt, std::optional<CsvMemo> csv)
        : IUndoCommand(FormatString(IDS_CHANGE_IMPORT_STATEMENT, {account.m_strName})), m_doc(doc),
          m_account(account), m_expenses(std::move(expenses)), m_deposits(std::move(deposits)),
          m_csv(std::move(csv)), m_firstDeposit(doc.Movements().GetCount()) {
        CLedgerIds& ids = doc.Ids();
        // A reading the account already has is left with its stamp: nothing of it changes.
        if (const CsvMemo* was = doc.StatementMemory().CsvOf(account.m_nId)) {
            if (m_csv && m_csv->mapping == was->mapping && m_csv->settings == was->settings) {
                m_csv.reset();
            } else {
                m_csvBefore = *was;
            }
        }
        // Each rule as its own command would add it, ids and stamps made once, here.
        for (StatementRule& rule : learnt) {
            m_learnt.push_back(
                std::make_unique<CAddRule>(doc.StatementMemory(), ids, std::move(rule)));
        }
        for (Expense& e : m_expenses) {
            e.id = ids.NewId();
            if (!e.bankId.empty()) {
                m_bankIds.push_back({account.m_nId, e.bankId, e.id});
            }
        }
        for (std::size_t i = 0; i < m_deposits.size(); ++i) {
            CMovement& m = m_deposits[i];
            m.m_nId = ids.NewId();
            m.m_created = ids.Stamp();
            if (!depositBankIds[i].empty()) {
                m_bankIds.push_back({account.m_nId, depositBankIds[i], m.m_nId});
            }
        }
    }

    void Redo() override {
        CLedgerIds& ids = m_doc.Ids();
        for (Expense& e : m_expenses) {
            const CEntryList* list = std::as_const(*e.article).FindDay(e.day);
            e.countBefore = list != nullptr ? list->GetCount() : -1;
            e.article->AddEntry(e.day, e.amount, &m_account, e.note, e.id);
            if (m_bUndone) {
                ids.ExpenseBack(e.id);
            }
            DayChanged(*e.article, e.day);
        }
        std::vector<CMovement> deposits = std::move(m_deposits);
        m_deposits.clear();
        for (CMovement& m : deposits) {
            CLedgerIds::Unbury(ids.m_goneMovements, m.m_nId);
            m_account.AdjustBalance(m.m_nAmount);
        }
        m_doc.Movements().Append(std::move(deposits));
        m_remembered.clear();
        m_recorded.clear();
        CStatementMemory& memory = m_doc.StatementMemory();
        for (const RecordedBankId& recorded : m_bankIds) {
            // The bank id alone, for today's readers; with its item, for what is left of it.
            if (memory.Remember(m_account.m_nId, recorded.bankId)) {
                m_remembered.push_back(recorded.bankId);
            }
            if (memory.RememberItem(recorded)) {
                m_recorded.push_back(recorded);
            }
        }
        for (const auto& rule : m_learnt) {
            rule->Redo();
        }
        if (m_csv) {
            m_csv->stamp = ids.Stamp();
            m_doc.StatementMemory().SetCsv(m_account.m_nId, *m_csv);
        }
    }

    void Undo() override {
        m_bUndone = true;
        CLedgerIds& ids = m_doc.Ids();
        if (m_csv) {
            // Stamped anew, so that the undoing outlives the undone reading in a merge.
            CsvMemo before = m_csvBefore;
            before.stamp = ids.Stamp();
            m_doc.StatementMemory().SetCsv(m_account.m_nId, std::move(before));
        }
        for (auto rule = m_learnt.rbegin(); rule != m_learnt.rend(); ++rule) {
            (*rule)->Undo();
        }
        for (const std::u16string& bankId : m_remembered) {
            m_doc.StatementMemory().Forget(m_account.m_nId, bankId);
        }
        for (const RecordedBankId& recorded : m_recorded) {
            m_doc.StatementMemory().ForgetItem(recorded);
        }
        CMovementList& movements = m_doc.Movements();
        while (movements.GetCount() > m_firstDeposit) {
            CMovement m = movements.TakeAt(movements.GetCount() - 1);
            CLedgerIds::Bury(ids.m_goneMovements, m.m_nId, ids.Stamp());
            m_account.AdjustBalance(WrapNeg(m.m_nAmount));
            m_deposits.insert(m_deposits.begin(), std::move(m));
        }
        for (auto e = m_expenses.rbegin(); e != m_expenses.rend(); ++e) {
            ids.ExpenseGone(e->id);
            e->article->Days().Shrink(e->day, e->countBefore);
            m_account.AdjustBalance(e->amount);
            DayChanged(*e->article, e->day);
        }
    }

    [[nodiscard]] std::vector<BalanceMove> BalanceMoves() const override {
        std::int64_t change = 0;
        for (const Expense& e : m_expenses) {
            change -= e.amount;
        }
        for (const CMovement& m : m_deposits) {
            change += m.m_nAmount;
        }
        // While the import stands, its deposits are in the list rather than held here.
        const CMovementList& movements = m_doc.Movements();
        for (int i = m_firstDeposit; i < movements.GetCount(); ++i) {
            change += movements.GetAt(i).m_nAmount;
        }
        return {{&m_account, change}};
    }

private:
    // A day's change refreshes the totals only where the period shows that day.
    static void DayChanged(CExpenseArticle& article, DayNumber day) {
        if (g_pMainFrame != nullptr && g_pMainFrame->CurrentPeriod().SpanContains(day)) {
            article.InvalidateChain();
        }
    }

    CVerdalonDoc& m_doc;
    CAccount& m_account;
    std::vector<Expense> m_expenses;
    std::vector<CMovement> m_deposits;               // while the import is undone
    std::vector<RecordedBankId> m_bankIds;           // each row's that has one, with its item
    std::vector<std::u16string> m_remembered;        // the ids new to the account
    std::vector<RecordedBankId> m_recorded;          // the pairs new to the memory
    std::vector<std::unique_ptr<CAddRule>> m_learnt; // the rules taught in the preview
    std::optional<CsvMemo> m_csv;                    // the CSV reading the account gets
    CsvMemo m_csvBefore;                             // its own before: none by default
    int m_firstDeposit;
    bool m_bUndone = false;
};

} // namespace

ImportResult ImportStatement(CVerdalonDoc& doc, const ImportPlan& plan,
                             std::vector<StatementRule> learnt, std::optional<CsvMemo> csv) {
    if (plan.CheckedCount() == 0) {
        return ImportResult::Nothing;
    }
    if (!plan.LinesWithoutArticle().empty()) {
        return ImportResult::NoArticle;
    }
    CAccount& account = *plan.account;
    const int index = doc.Accounts().IndexOf(&account);
    if (index >= doc.Accounts().GetNameableCount()) {
        return ImportResult::Unnameable;
    }
    const std::int64_t change = plan.BalanceChange();
    if (!account.FitsChangeBy(change)) {
        return ImportResult::BalanceRange;
    }
    if (!account.MayChangeBy(change)) {
        return ImportResult::NegativeRefused;
    }
    std::vector<CImportStatement::Expense> expenses;
    std::vector<CMovement> deposits;
    std::vector<std::u16string> depositBankIds;
    for (const ImportRow& r : plan.rows) {
        if (!r.checked) {
            continue;
        }
        const std::u16string note = ImportNote(r.row);
        if (r.IsDeposit()) {
            CMovement m;
            m.m_day = std::min(r.row.day, kLastValidDay);
            m.m_pTo = &account;
            m.m_nAmount = r.amount;
            m.m_strNote = note;
            deposits.push_back(std::move(m));
            depositBankIds.push_back(r.row.bankId);
        } else {
            expenses.push_back({r.article, std::min(r.row.day, kLastValidDay), WrapNeg(r.amount),
                                doc.Notes().Add(note), kNoId, r.row.bankId});
        }
    }
    doc.MakeChange(std::make_unique<CImportStatement>(
        doc, account, std::move(expenses), std::move(deposits), std::move(depositBankIds),
        std::move(learnt), std::move(csv)));
    return ImportResult::Imported;
}

} // namespace tamblero
