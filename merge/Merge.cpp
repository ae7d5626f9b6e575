#include "merge/Merge.h"

#include "storage/VerdalonDoc.h"

namespace tamblero {

bool MergeReport::ChangesOurs() const {
    return newGroups + newArticles + newAccounts + newExpenses + newMovements + goneNodes +
               goneAccounts + goneExpenses + goneMovements + changedFields + restoredNodes !=
           0;
}

bool MergeInto(CVerdalonDoc& /*ours*/, const CVerdalonDoc& /*theirs*/, MergeReport& /*report*/,
               MergeRefusal& refusal) {
    refusal.english = "merging is not built yet";
    return false;
}

} // namespace tamblero
