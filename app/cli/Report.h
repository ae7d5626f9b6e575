// The grid of the main window, for every node of the tree, as CSV or as a table.
#pragma once

#include "model/Money.h"
#include "period/Period.h"

#include <ostream>
#include <string>
#include <vector>

namespace tamblero {
class CExpenseGroup;
class CVerdalonDoc;
} // namespace tamblero

namespace tamblero::cli {

// A period's columns and the tree whose nodes hold their totals for them. The rows are
// written straight from the nodes, one at a time, so a report of many columns costs
// memory for the totals that are not 0 only.
struct Report {
    std::u16string title; // names the whole period
    std::vector<CPeriodColumn> columns;
    const CExpenseGroup* root = nullptr; // every node's totals computed for the columns
};

// Builds the period of that kind around the anchor as the main window does, with the
// document's day span for all time, and computes every node's totals for it.
[[nodiscard]] Report BuildReport(CVerdalonDoc& doc, IPlatform& platform, int kind,
                                 DayNumber anchor);

// Header "depth,kind,name", one "first..last" field per column and "total" (the node's total
// over the period's own days, which a month's edge weeks reach beyond), then one row per
// node in the order of the tree after a full build.
void WriteReportCsv(std::ostream& out, const Report& report);
// The same rows aligned under the columns' own titles and "Total", names indented by depth.
void WriteReportText(std::ostream& out, const Report& report);

} // namespace tamblero::cli
