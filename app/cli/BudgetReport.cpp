#include "app/cli/BudgetReport.h"

#include "app/cli/TextFormat.h"
#include "app/platform/Utf.h"
#include "budget/BudgetFigures.h"
#include "model/CategoryNode.h"
#include "storage/VerdalonDoc.h"

#include <string>

namespace tamblero::cli {

namespace {

void WriteRows(std::ostream& out, const CBudgetBook& book, const CCategoryNode& node, int depth,
               int kind, DayNumber anchor) {
    if (const std::optional<BudgetStanding> standing = PeriodStanding(book, node, kind, anchor)) {
        out << depth << (node.IsGroup() ? ",group," : ",article,")
            << CsvField(Utf8FromUtf16(node.GetName()))
            << (book.Find(node.m_nId) != nullptr ? ",own," : ",children,") << standing->budget
            << ',' << standing->spent << ',' << standing->Left() << '\n';
    }
    if (const CExpenseGroup* group = node.AsGroup()) {
        group->ForEachChild([&](const CCategoryNode& child) {
            WriteRows(out, book, child, depth + 1, kind, anchor);
        });
    }
}

} // namespace

void WriteBudgetCsv(std::ostream& out, const CVerdalonDoc& doc, int kind, DayNumber anchor) {
    out << "depth,kind,name,of,budget,spent,left\n";
    if (const CExpenseGroup* root = doc.GetRoot()) {
        WriteRows(out, doc.Budgets(), *root, 0, kind, anchor);
    }
}

} // namespace tamblero::cli
