#include "app/core/HistoryList.h"

#include "model/CategoryNode.h"

namespace tamblero {

namespace {

void Collect(CExpenseGroup& group, DayNumber day, std::vector<HistoryRow>& rows) {
    for (const auto& child : group.m_groups) {
        Collect(*child, day, rows);
    }
    for (const auto& article : group.m_articles) {
        if (const CEntryList* list = article->FindDay(day)) {
            for (const CExpenseEntry& entry : list->Entries()) {
                rows.push_back({article.get(), entry.m_pAccount, entry.m_nAmount});
            }
        }
    }
}

} // namespace

std::vector<HistoryRow> CollectDayEntries(CExpenseGroup& group, DayNumber day) {
    std::vector<HistoryRow> rows;
    Collect(group, day, rows);
    return rows;
}

void UndoHistoryRow(std::vector<HistoryRow>& rows, int index, DayNumber day) {
    if (index < 0 || index >= static_cast<int>(rows.size())) {
        return;
    }
    const HistoryRow row = rows[static_cast<std::size_t>(index)];
    row.article->UndoEntry(day, row.account, row.amount);
    rows.erase(rows.begin() + index);
}

} // namespace tamblero
