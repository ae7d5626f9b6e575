// Ids for what a file without identities holds, derived from content and place: every device
// that reads the same such file gives its items the same ids, so copies of it merge without
// doubling anything they share.
#pragma once

#include "model/Identity.h"
#include "model/Notes.h"
#include "period/DayNumber.h"

#include <cstdint>
#include <span>
#include <unordered_map>
#include <vector>

namespace tamblero {

class CAccountList;
class CCategoryNode;
class CExpenseArticle;
class CExpenseGroup;
class CMovementList;
struct CExpenseEntry;

// Gives every group, article, account and movement without an id its derived one. Nodes:
// their path (kinds and names, and the index among equal siblings); accounts: name and index
// among equal names; movements: their fields and index among equal ones. Expenses keep none
// (below): theirs is derived from their article's id, day, amount, account's id and note, and
// the index among equal ones of the day, when asked for.
// Items without a stamp of their place are given one that keeps the order they have.
void DeriveMissingIds(CExpenseGroup& root, CAccountList& accounts, CMovementList& movements,
                      const CNoteTable& notes);

// The expense's derived id at its place: what DeriveMissingIds gives it.
[[nodiscard]] std::uint64_t ExpenseContentHash(ItemId article, std::int64_t day,
                                               std::int32_t amount, ItemId account,
                                               std::uint64_t noteHash);

// The derived ids of one day's expenses of an article, each at its place: what
// DeriveMissingIds gives them. The data file's writer and reader both ask it, so an expense
// whose id is still this one costs nothing to store. Keeps the notes' hashes between days.
class CExpenseIdDeriver final {
public:
    explicit CExpenseIdDeriver(const CNoteTable& notes) : m_notes(notes) {}
    // One id per entry into out, in the entries' order.
    void DayIds(ItemId article, std::int64_t day, std::span<const CExpenseEntry> entries,
                std::vector<ItemId>& out);

private:
    std::uint64_t NoteHash(NoteKey note);

    const CNoteTable& m_notes;
    std::unordered_map<NoteKey, std::uint64_t> m_noteHashes;
    std::vector<std::uint64_t> m_hashes;
    std::unordered_map<std::uint64_t, std::uint32_t> m_equal; // for long days
};

// An expense read from a file that gave it no id keeps none (kNoId) until something needs it:
// its id is the one derived at its place, its own while its day stays as it is. So a load
// derives nothing. Whatever changes a day's entries other than by appending pins their ids
// first, so that no expense's id moves with the change.
void PinExpenseIds(CExpenseArticle& article, DayNumber day, const CNoteTable& notes);
// Every day of every article of the subtree.
void PinExpenseIds(CCategoryNode& subtree, const CNoteTable& notes);
// A day's ids, each entry's own or, where it has none, the one derived at its place.
void ExpenseIdsOf(ItemId article, DayNumber day, std::span<const CExpenseEntry> entries,
                  CExpenseIdDeriver& deriver, std::vector<ItemId>& out);

} // namespace tamblero
