// The schedules of two copies of one ledger merged: each schedule's terms part by part as the
// other items (the later stamp wins, of equal stamps the larger value), what became of each
// occurrence the same (so a recording undone on one copy after the other recorded it is open
// again, and two copies that both recorded it agree), and a schedule is gone where its deletion
// is later than every change of its terms. Commutative, associative and idempotent like the
// rest of the merge.
#pragma once

#include "merge/Facts.h"
#include "model/Identity.h"
#include "schedule/Schedule.h"

#include <vector>

namespace tamblero {

class CVerdalonDoc;

// The merged schedules, their ids in the slots of `ids` (ours' ids, grown by the merge). A
// schedule of a device the table cannot hold is left out.
[[nodiscard]] CScheduleBook MergeSchedules(const CVerdalonDoc& ours, const CVerdalonDoc& theirs,
                                           CLedgerIds& ids);

// Adds the global ids of the expenses that the occurrences the schedules marked record or
// recorded: identities every device derives alike, never matched by content.
void AddOccurrenceIds(const CVerdalonDoc& doc, std::vector<GId>& out);

// Whether two books hold the same, whatever the order of their deletion records.
[[nodiscard]] bool SameSchedules(const CScheduleBook& a, const CScheduleBook& b);

} // namespace tamblero
