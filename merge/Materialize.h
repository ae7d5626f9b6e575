// From joined facts to a document: which items stay, where each goes, and the document's parts
// built from that.
#pragma once

#include "merge/Facts.h"
#include "model/Account.h"
#include "model/CategoryNode.h"
#include "model/Movements.h"
#include "model/Notes.h"

#include <memory>
#include <string>

namespace tamblero {

// What the joined facts come to: only the items that stay, each where it goes; the deletion
// records kept.
struct Resolved {
    Facts facts;
    std::vector<Amount> balances; // of facts.accounts, in their order
    std::vector<GId> restored;    // deleted nodes that came back for what needs them
    // Where each of facts.expenses goes: its article, or where a merged-away article went. The
    // facts keep the article it was recorded in, for a later merge that may bring it back.
    std::vector<GId> placed;
    // Under which group each of facts.nodes goes: its parent, or the root where the parent is
    // gone, a cycle or too deep; the facts keep the parent it was placed under.
    std::vector<GId> placedUnder;
};

// Decides what stays: an expense is gone where a deletion record is later than its presence; a
// movement where any record names it, and one whose every account is gone waits among the
// records; an account where a record is later than every stamp of it; a node where a record is
// later than its name and place, unless a live expense or node needs it, which brings back its
// path (its record kept). An expense of a merged article follows the forward chain; a cycle of
// moves is broken under the root at its smallest id, and a group deeper than kMaxGroupDepth goes
// under the root, the facts keeping where each was recorded. An expense, a record or a movement
// keeps naming an account that is gone, which the document's item then does not. Balances: the
// opening, the movements, the live expenses and what unrefunded deletions left spent. False,
// with the reason in English, for more accounts than a file holds or a balance out of range.
bool Resolve(const Facts& joined, Resolved& out, std::string& refusal);

// The document's parts from resolved facts.
struct Parts {
    std::unique_ptr<CExpenseGroup> root;
    CAccountList accounts;
    CMovementList movements;
    CNoteTable notes;
};

// Builds the parts; the ids, which come with the document's own devices and clock, get every
// device the facts name, the expenses' stamps and every deletion record. False where the device
// table is full.
bool Build(const Resolved& resolved, CLedgerIds& ids, Parts& out, std::string& refusal);

} // namespace tamblero
