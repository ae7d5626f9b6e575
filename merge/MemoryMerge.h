// The import memories of two copies of one ledger merged: the rules field by field as the
// other items (the later stamp wins, of equal stamps the larger value), ordered by their places'
// keys, then ids; a rule is gone where its deletion is later than every stamp of it; the bank
// ids imported are united per account, and so are the pairs of a bank id and its item; an
// account's CSV reading is the one of the later stamp (of equal stamps, the later value in a
// fixed order). Commutative, associative and idempotent like the rest of the merge.
#pragma once

#include "model/Identity.h"
#include "statement/StatementMemory.h"

namespace tamblero {

class CVerdalonDoc;

// The merged memory, its ids in the slots of `ids` (ours' ids, grown by the merge), which gets
// every device the rules name. A rule or account of a device the table cannot hold is left
// out.
[[nodiscard]] CStatementMemory MergeMemories(const CVerdalonDoc& ours, const CVerdalonDoc& theirs,
                                             CLedgerIds& ids);

// Whether two memories hold the same, whatever the order of their deletion records.
[[nodiscard]] bool SameMemory(const CStatementMemory& a, const CStatementMemory& b);

} // namespace tamblero
