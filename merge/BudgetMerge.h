// The budgets of two copies of one ledger merged budget by budget as the other items (the
// later stamp wins, of equal stamps the larger value); a budget is gone where its deletion is
// later than every stamp of it. Commutative, associative and idempotent like the rest of the
// merge.
#pragma once

#include "budget/Budgets.h"

namespace tamblero {

class CVerdalonDoc;

// The merged budgets, their ids in the slots of `ids` (ours' ids, grown by the merge). A budget
// of a device the table cannot hold is left out.
[[nodiscard]] CBudgetBook MergeBudgets(const CVerdalonDoc& ours, const CVerdalonDoc& theirs,
                                       CLedgerIds& ids);

} // namespace tamblero
