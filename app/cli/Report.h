// The grid of the main window, for every node of the tree, as CSV or as a table.
#pragma once

#include "model/Money.h"
#include "period/Period.h"

#include <ostream>
#include <string>
#include <vector>

namespace tamblero {
class CVerdalonDoc;
} // namespace tamblero

namespace tamblero::cli {

struct ReportRow {
    int depth = 0; // 0 for the root
    bool group = false;
    std::u16string name;
    std::vector<Amount> totals; // one per column
};

struct Report {
    std::u16string title; // names the whole period
    std::vector<CPeriodColumn> columns;
    std::vector<ReportRow> rows; // in the order of the tree after a full build
};

// Builds the period of that kind around the anchor as the main window does, with the
// document's day span for all time, and reads every node's totals for it.
[[nodiscard]] Report BuildReport(CVerdalonDoc& doc, IPlatform& platform, int kind,
                                 DayNumber anchor);

// Header "depth,kind,name" and one "first..last" field per column, then one row per node.
void WriteReportCsv(std::ostream& out, const Report& report);
// The same rows aligned under the columns' own titles, names indented by depth.
void WriteReportText(std::ostream& out, const Report& report);

} // namespace tamblero::cli
