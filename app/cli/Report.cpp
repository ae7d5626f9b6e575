#include "app/cli/Report.h"

#include "app/cli/TextFormat.h"
#include "app/core/MainFrameCore.h"
#include "app/platform/Utf.h"
#include "storage/VerdalonDoc.h"

#include <algorithm>
#include <functional>

namespace tamblero::cli {

namespace {

using RowVisitor = std::function<void(const CCategoryNode& node, int depth)>;

// Every node in tree order: a group, then its groups, then its articles.
void VisitRows(const CCategoryNode& node, int depth, const RowVisitor& visit) {
    visit(node, depth);
    if (const CExpenseGroup* group = node.AsGroup()) {
        group->ForEachChild(
            [&](const CCategoryNode& child) { VisitRows(child, depth + 1, visit); });
    }
}

void VisitRows(const Report& report, const RowVisitor& visit) {
    if (report.root != nullptr) {
        VisitRows(*report.root, 0, visit);
    }
}

// Calls cell(text) for every column of the node's row, "0" where nothing is cached, then for
// the node's total over the whole period.
template <typename Cell>
void ForEachCell(const CCategoryNode& node, std::size_t columns, Cell cell) {
    static const std::string zero = "0";
    const auto totals = node.CachedTotals();
    auto next = totals.begin();
    for (std::size_t i = 0; i < columns; ++i) {
        if (next != totals.end() && static_cast<std::size_t>(next->column) == i) {
            cell(std::to_string(next->total));
            ++next;
        } else {
            cell(zero);
        }
    }
    cell(std::to_string(node.CachedPeriodTotal()));
}

std::string ColumnRange(const CPeriodColumn& column) {
    return IsoDate(column.m_firstDay) + ".." + IsoDate(column.m_lastDay);
}

std::string RowName(const CCategoryNode& node, int depth) {
    const std::string name = TableText(node.GetName());
    return std::string(static_cast<std::size_t>(depth) * 2, ' ') +
           (node.IsGroup() ? "[" + name + "]" : name);
}

} // namespace

Report BuildReport(CVerdalonDoc& doc, IPlatform& platform, int kind, DayNumber anchor) {
    CMainFrameCore frame(platform);
    frame.SetDocument(&doc);
    frame.m_nPeriodKind = kind;
    frame.m_nAnchorDay = anchor;
    frame.RefreshPeriod();

    Report report;
    // The window's word for all time is for its bar; a terminal reader gets a plain title.
    report.title = kind == periodAll ? u"All time" : frame.m_period.m_strLabel;
    report.columns = frame.m_period.Columns();
    if (CExpenseGroup* root = doc.GetRoot()) {
        root->RecalcTotals(frame.m_period);
        report.root = root;
    }
    return report;
}

void WriteReportCsv(std::ostream& out, const Report& report) {
    std::vector<std::string> fields{"depth", "kind", "name"};
    for (const CPeriodColumn& column : report.columns) {
        fields.push_back(ColumnRange(column));
    }
    fields.emplace_back("total");
    WriteCsvRow(out, fields);
    std::string line;
    VisitRows(report, [&](const CCategoryNode& node, int depth) {
        line = std::to_string(depth) + (node.IsGroup() ? ",group," : ",article,") +
               CsvField(Utf8FromUtf16(node.GetName()));
        ForEachCell(node, report.columns.size(), [&](const std::string& cell) {
            line += ',';
            line += cell;
        });
        line += '\n';
        out << line;
    });
}

void WriteReportText(std::ostream& out, const Report& report) {
    std::string heading = TableText(report.title);
    if (!report.columns.empty()) {
        heading += ", " + IsoDate(report.columns.front().m_firstDay) + ".." +
                   IsoDate(report.columns.back().m_lastDay);
    }
    out << heading << "\n\n";

    // A first walk finds every column's widest cell, a second writes the rows. The last
    // column is the whole period's total.
    const std::size_t n = report.columns.size();
    std::vector<std::size_t> widths(n + 2, 0);
    widths[0] = DisplayWidth("Category");
    for (std::size_t i = 0; i < n; ++i) {
        widths[i + 1] = DisplayWidth(TableText(report.columns[i].m_strLabel));
    }
    widths[n + 1] = DisplayWidth("Total");
    if (report.root != nullptr) {
        for (std::size_t i = 1; i <= n; ++i) {
            widths[i] = std::max<std::size_t>(widths[i], 1); // at least a "0" below
        }
    }
    VisitRows(report, [&](const CCategoryNode& node, int depth) {
        widths[0] = std::max(widths[0], DisplayWidth(RowName(node, depth)));
        for (const ColumnTotal& cell : node.CachedTotals()) {
            std::size_t& width = widths[static_cast<std::size_t>(cell.column) + 1];
            width = std::max(width, std::to_string(cell.total).size());
        }
        widths[n + 1] = std::max(widths[n + 1], std::to_string(node.CachedPeriodTotal()).size());
    });

    std::string line;
    const auto writeLine = [&](const std::string& first, const auto& forEachCell) {
        line = first;
        line.append(widths[0] - DisplayWidth(first), ' ');
        std::size_t i = 1;
        forEachCell([&](const std::string& cell) {
            line.append(2 + widths[i] - DisplayWidth(cell), ' ');
            line += cell;
            ++i;
        });
        line += '\n';
        out << line;
    };
    writeLine("Category", [&](const auto& cell) {
        for (const CPeriodColumn& column : report.columns) {
            cell(TableText(column.m_strLabel));
        }
        cell("Total");
    });
    VisitRows(report, [&](const CCategoryNode& node, int depth) {
        writeLine(RowName(node, depth), [&](const auto& cell) { ForEachCell(node, n, cell); });
    });
}

} // namespace tamblero::cli
