#include "app/core/Register.h"

#include "app/core/DocumentChanges.h"
#include "app/core/EntryListing.h"
#include "resources/StringTable.h"
#include "storage/VerdalonDoc.h"

#include <algorithm>
#include <string>

namespace tamblero {

CRegister::CRegister(const CVerdalonDoc& doc, const CAccount& account) {
    m_rows.emplace_back();
    const CMovementList& movements = doc.Movements();
    for (int i = 0; i < movements.GetCount(); ++i) {
        const CMovement& m = movements.GetAt(i);
        if (m.m_pTo == &account) {
            m_rows.push_back({m.m_day,
                              m.m_bTransfer ? RegisterKind::TransferIn : RegisterKind::Deposit, i,
                              nullptr, m.m_nAmount, 0});
        } else if (m.m_pFrom == &account) {
            m_rows.push_back(
                {m.m_day, RegisterKind::TransferOut, i, nullptr, -std::int64_t{m.m_nAmount}, 0});
        }
    }
    if (const CExpenseGroup* root = doc.GetRoot()) {
        root->ForEachArticleBelow([&](CExpenseArticle& article) {
            for (const auto& [day, list] : std::as_const(article).Days()) {
                int slot = 0;
                for (const CExpenseEntry& e : list.Entries()) {
                    if (e.m_pAccount == &account) {
                        m_rows.push_back({day, RegisterKind::Expense, slot, &article,
                                          -std::int64_t{e.m_nAmount}, 0});
                    }
                    ++slot;
                }
            }
        });
    }
    // Movements before expenses on a day: money in before it is spent.
    std::stable_sort(m_rows.begin() + 1, m_rows.end(),
                     [](const RegisterRow& a, const RegisterRow& b) {
                         const bool aSpent = a.kind == RegisterKind::Expense;
                         const bool bSpent = b.kind == RegisterKind::Expense;
                         return a.day != b.day ? a.day < b.day : !aSpent && bSpent;
                     });
    std::int64_t moved = 0;
    for (auto row = m_rows.begin() + 1; row != m_rows.end(); ++row) {
        moved += row->amount;
        m_sums[static_cast<std::size_t>(row->kind)] += row->amount;
    }
    std::int64_t balance = std::int64_t{account.Balance()} - moved;
    m_rows.front().amount = balance;
    m_rows.front().balance = balance;
    m_rows.front().day = m_rows.size() > 1 ? m_rows[1].day : 0;
    for (auto row = m_rows.begin() + 1; row != m_rows.end(); ++row) {
        balance += row->amount;
        row->balance = balance;
    }
}

std::u16string RegisterFooter(const CRegister& reg) {
    const auto text = [](std::int64_t n) {
        const std::string digits = std::to_string(n);
        return std::u16string(digits.begin(), digits.end());
    };
    return FormatString(IDS_REGISTER_FOOTER, {text(static_cast<std::int64_t>(reg.RecordedCount())),
                                              text(reg.Sum(RegisterKind::Deposit)),
                                              text(reg.Sum(RegisterKind::TransferIn)),
                                              text(-reg.Sum(RegisterKind::TransferOut)),
                                              text(-reg.Sum(RegisterKind::Expense))});
}

std::u16string RegisterKindText(RegisterKind kind) {
    switch (kind) {
    case RegisterKind::Opening:
        return LoadString(IDS_REGISTER_OPENING);
    case RegisterKind::Deposit:
        return LoadString(IDS_REGISTER_DEPOSIT);
    case RegisterKind::TransferIn:
        return LoadString(IDS_REGISTER_TRANSFER_IN);
    case RegisterKind::TransferOut:
        return LoadString(IDS_REGISTER_TRANSFER_OUT);
    case RegisterKind::Expense:
        return LoadString(IDS_REGISTER_EXPENSE);
    }
    return {};
}

std::u16string RegisterOther(const CVerdalonDoc& doc, const RegisterRow& row) {
    if (row.kind == RegisterKind::Expense) {
        return CategoryPath(*row.article);
    }
    if (row.kind != RegisterKind::TransferIn && row.kind != RegisterKind::TransferOut) {
        return {};
    }
    const CMovement& m = doc.Movements().GetAt(row.index);
    const CAccount* other = row.kind == RegisterKind::TransferIn ? m.m_pFrom : m.m_pTo;
    return other != nullptr ? other->m_strName : m.m_strGoneName;
}

std::u16string RegisterNote(const CVerdalonDoc& doc, const RegisterRow& row) {
    switch (row.kind) {
    case RegisterKind::Opening:
        return {};
    case RegisterKind::Expense:
        return std::u16string(doc.Notes().Text(RegisterEntry(row).m_nNote));
    default:
        return doc.Movements().GetAt(row.index).m_strNote;
    }
}

CExpenseEntry RegisterEntry(const RegisterRow& row) {
    return std::as_const(*row.article).FindDay(row.day)->GetAt(row.index);
}

bool UndoRegisterRow(CVerdalonDoc& doc, const RegisterRow& row) {
    switch (row.kind) {
    case RegisterKind::Opening:
        return false;
    case RegisterKind::Expense:
        return UndoExpense(doc, *row.article, row.day, RegisterEntry(row), row.index);
    default:
        return UndoMovement(doc, row.index);
    }
}

} // namespace tamblero
