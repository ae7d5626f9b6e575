#include "app/cli/Report.h"

#include "app/cli/TextFormat.h"
#include "app/core/MainFrameCore.h"
#include "app/core/Utf.h"
#include "storage/VerdalonDoc.h"

#include <algorithm>

namespace tamblero::cli {

namespace {

void AddRows(const CCategoryNode& node, int depth, std::size_t columns,
             std::vector<ReportRow>& rows) {
    ReportRow row{depth, node.IsGroup(), node.GetName(), {}};
    row.totals.reserve(columns);
    for (std::size_t i = 0; i < columns; ++i) {
        row.totals.push_back(node.CachedTotal(static_cast<int>(i)));
    }
    rows.push_back(std::move(row));
    if (!node.IsGroup()) {
        return;
    }
    const auto& group = static_cast<const CExpenseGroup&>(node);
    for (const auto& child : group.m_groups) {
        AddRows(*child, depth + 1, columns, rows);
    }
    for (const auto& article : group.m_articles) {
        AddRows(*article, depth + 1, columns, rows);
    }
}

std::string ColumnRange(const CPeriodColumn& column) {
    return IsoDate(column.m_firstDay) + ".." + IsoDate(column.m_lastDay);
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
        AddRows(*root, 0, report.columns.size(), report.rows);
    }
    return report;
}

void WriteReportCsv(std::ostream& out, const Report& report) {
    std::vector<std::string> fields{"depth", "kind", "name"};
    for (const CPeriodColumn& column : report.columns) {
        fields.push_back(ColumnRange(column));
    }
    WriteCsvRow(out, fields);
    for (const ReportRow& row : report.rows) {
        fields = {std::to_string(row.depth), row.group ? "group" : "article",
                  Utf8FromUtf16(row.name)};
        for (const Amount total : row.totals) {
            fields.push_back(std::to_string(total));
        }
        WriteCsvRow(out, fields);
    }
}

void WriteReportText(std::ostream& out, const Report& report) {
    std::string heading = TableText(report.title);
    if (!report.columns.empty()) {
        heading += ", " + IsoDate(report.columns.front().m_firstDay) + ".." +
                   IsoDate(report.columns.back().m_lastDay);
    }
    out << heading << "\n\n";

    // Cells first, so every column can be as wide as its widest cell.
    std::vector<std::vector<std::string>> table;
    table.emplace_back().push_back("Category");
    for (const CPeriodColumn& column : report.columns) {
        table.back().push_back(TableText(column.m_strLabel));
    }
    for (const ReportRow& row : report.rows) {
        std::vector<std::string>& cells = table.emplace_back();
        const std::string name = TableText(row.name);
        cells.push_back(std::string(static_cast<std::size_t>(row.depth) * 2, ' ') +
                        (row.group ? "[" + name + "]" : name));
        for (const Amount total : row.totals) {
            cells.push_back(std::to_string(total));
        }
    }
    std::vector<std::size_t> widths(report.columns.size() + 1, 0);
    for (const auto& cells : table) {
        for (std::size_t i = 0; i < cells.size(); ++i) {
            widths[i] = std::max(widths[i], DisplayWidth(cells[i]));
        }
    }
    for (const auto& cells : table) {
        std::string line = cells[0];
        if (cells.size() > 1) {
            line.append(widths[0] - DisplayWidth(cells[0]), ' ');
        }
        for (std::size_t i = 1; i < cells.size(); ++i) {
            line.append(2 + widths[i] - DisplayWidth(cells[i]), ' ');
            line += cells[i];
        }
        line += '\n';
        out << line;
    }
}

} // namespace tamblero::cli
