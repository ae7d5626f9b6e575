#include "app/core/HistoryList.h"

#include "app/core/DocumentChanges.h"
#include "app/core/EntryListing.h"
#include "model/CategoryNode.h"

#include <algorithm>
#include <map>
#include <set>
#include <utility>

namespace tamblero {

namespace {

void Collect(CExpenseGroup& group, DayNumber day, std::vector<HistoryRow>& rows) {
    group.ForEachArticleBelow([&](CExpenseArticle& article) {
        if (const CEntryList* list = std::as_const(article).FindDay(day)) {
            for (const CExpenseEntry& entry : list->Entries()) {
                rows.push_back({&article, entry.m_pAccount, entry.m_nAmount, entry.m_nNote});
            }
        }
    });
}

} // namespace

std::vector<HistoryRow> CollectDayEntries(CExpenseGroup& group, DayNumber day) {
    std::vector<HistoryRow> rows;
    Collect(group, day, rows);
    return rows;
}

std::vector<std::u16string> HistoryLabels(const std::vector<HistoryRow>& rows) {
    std::map<std::u16string_view, std::set<const CExpenseArticle*>> byName;
    for (const HistoryRow& row : rows) {
        byName[row.article->GetName()].insert(row.article);
    }
    std::vector<std::u16string> labels;
    labels.reserve(rows.size());
    for (const HistoryRow& row : rows) {
        const std::u16string& name = row.article->GetName();
        labels.push_back(byName[name].size() > 1 ? CategoryPath(*row.article) : name);
    }
    return labels;
}

int HistorySlot(const std::vector<HistoryRow>& rows, int index) {
    const CExpenseArticle* article = rows[static_cast<std::size_t>(index)].article;
    return static_cast<int>(
        std::count_if(rows.begin(), rows.begin() + index,
                      [article](const HistoryRow& r) { return r.article == article; }));
}

bool UndoHistoryRow(CVerdalonDoc& doc, std::vector<HistoryRow>& rows, int index, DayNumber day) {
    if (index < 0 || index >= static_cast<int>(rows.size())) {
        return false;
    }
    const HistoryRow row = rows[static_cast<std::size_t>(index)];
    if (!UndoExpense(doc, *row.article, day, row.Entry())) {
        return false;
    }
    rows.erase(rows.begin() + index);
    return true;
}

} // namespace tamblero
