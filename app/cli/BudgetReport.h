// The budget command: how every row with a budget, its own or its children's, stands in a
// month or a year, as CSV.
#pragma once

#include "period/DayNumber.h"

#include <ostream>

namespace tamblero {
class CVerdalonDoc;
} // namespace tamblero

namespace tamblero::cli {

// Header "depth,kind,name,of,budget,spent,left", then the rows in report's order that have a
// budget in the anchor's month (periodMonth) or year (periodYear): "of" says whether the budget
// is the row's own or its children's sum; left is negative where it was overspent.
void WriteBudgetCsv(std::ostream& out, const CVerdalonDoc& doc, int kind, DayNumber anchor);

} // namespace tamblero::cli
