// Ids for what a file without identities holds, derived from content and place: every device
// that reads the same such file gives its items the same ids, so copies of it merge without
// doubling anything they share.
#pragma once

#include "model/Identity.h"

namespace tamblero {

class CAccountList;
class CExpenseGroup;
class CMovementList;
class CNoteTable;

// Gives every group, article, account, movement and expense without an id its derived one.
// Nodes: their path (kinds and names, and the index among equal siblings); accounts: name and
// index among equal names; movements: their fields and index among equal ones; expenses: their
// article's id, day, amount, account's id and note, and index among equal ones of the day.
// Items without a stamp of their place are given one that keeps the order they have.
void DeriveMissingIds(CExpenseGroup& root, CAccountList& accounts, CMovementList& movements,
                      const CNoteTable& notes);

// The expense's derived id at its place: what DeriveMissingIds gives it.
[[nodiscard]] std::uint64_t ExpenseContentHash(ItemId article, std::int64_t day,
                                               std::int32_t amount, ItemId account,
                                               std::uint64_t noteHash);

} // namespace tamblero
