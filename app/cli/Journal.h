// The expenses and movements as a plain-text journal that ledger 3 and hledger read: one dated
// transaction per expense, from "Assets:<account>" to "Expenses:<group>:…:<article>", and per
// deposit or transfer, after the money accounts' opening balances, so that every balance
// there is the program's.
#pragma once

#include "model/Account.h"
#include "model/CategoryNode.h"
#include "model/Movements.h"
#include "model/Notes.h"

#include <cstddef>
#include <ostream>
#include <span>
#include <string>
#include <vector>

namespace tamblero::cli {

// ledger stops at a level of an account's name of 256 bytes or more.
inline constexpr std::size_t kJournalSegmentBytes = 255;

// A name as one level of a journal account: ":" becomes "∶", control characters their
// pictures (U+2400…; C1 controls "�", line and paragraph separators "␤"), every Unicode
// blank a plain one, or "␠" first, last or after a blank, and an empty name "∅", so that
// both programs read the name back as one account of its own and never run it into the
// amount. A name longer than maxBytes is cut on a character's boundary, the cut marked "…".
[[nodiscard]] std::string JournalSegment(const std::u16string& name,
                                         std::size_t maxBytes = kJournalSegmentBytes);

struct JournalAccount {
    const CCategoryNode* node;
    std::string name;
};
// The root as "Expenses" and every group and article below it in tree order, as the
// journal names them. Siblings whose names would read alike get " (2)", " (3)"… in
// tree order, so that every node is an account of its own. Deep paths get shorter levels,
// so that a posting of the deepest node still fits in a line ledger takes.
[[nodiscard]] std::vector<JournalAccount> JournalExpenseAccounts(const CExpenseGroup& root);

// "Assets:<name>" of every money account in list order, told apart like siblings, then
// "Assets:Unknown", which stands for no account.
[[nodiscard]] std::vector<std::string> JournalAssetAccounts(const CAccountList& accounts);

// "account" declarations of every money account and every account used, then one
// transaction opening the money accounts at the balances they had before the first expense
// or movement, against "Equity:Opening Balances", then the movements and the expenses in day
// order: a day's movements first, as recorded, then its expenses in the tree's order. A
// deposit comes from "Equity:Deposits", a transfer goes between its accounts, its deleted
// side "Equity:Closed accounts:<last name>". Amounts are plain integers; every posting carries
// its own. An expense or movement with a note is described by it, else by the article's name,
// "Deposit" or "Transfer"; each tag of the note ("#name") is a tag, "; name:", that both
// programs query, of the posting that gains (the expense's, the receiving account's), but for
// "date" and "date2", which hledger would take for the posting's dates: the transaction's.
void WriteJournal(std::ostream& out, const CExpenseGroup& root, const CAccountList& accounts,
                  const CNoteTable& notes = {}, std::span<const CMovement> movements = {});

} // namespace tamblero::cli
