// The join of two documents' facts: per item and per field the later stamp wins, and of two
// equal stamps the larger value, so that the join is commutative, associative and idempotent;
// deletion records are united. Deciding what stays and where is Materialize's.
#pragma once

#include "merge/Facts.h"

#include <span>

namespace tamblero {

[[nodiscard]] Facts JoinFacts(const Facts& a, const Facts& b);

// Items with derived ids (read from a file without identities) that one copy holds and the
// other does not know are matched by content with the other's items it does not know: nodes by
// kind and path, accounts by name, movements by all their fields, expenses by article path,
// day, amount, account name and note; the k-th of equal ones with the k-th in id order. Each
// matched pair takes one id, the real one where there is one, so that a copy whose identities
// an earlier version dropped merges without doubling anything. Whether any id changed.
// lasting (sorted): derived ids that are identities all the same, those of the expenses the
// schedules' occurrences record, which every device derives alike. Two occurrences alike on
// one day are two expenses: such an id is matched only with one derived from content, and
// then kept, not the other.
bool MatchDerived(Facts& a, Facts& b, std::span<const GId> lasting);

} // namespace tamblero
