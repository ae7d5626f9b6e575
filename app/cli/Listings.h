// The expenses and the accounts as CSV, and the summary of a data file and the copies of it
// that sync services left.
#pragma once

#include "model/Account.h"
#include "model/CategoryNode.h"
#include "model/Identity.h"
#include "storage/DataFile.h"

#include <ostream>
#include <span>
#include <string>
#include <string_view>

namespace tamblero::cli {

// Header "date,category,amount,account,note,id"; one row per entry in the tree's order, then
// by day, then in the order of the day. The category runs from the root's child down; the
// note is the entry's text in notes, empty for none; the id names the entry in any document
// (ExpenseIdText), its device taken from ids.
void WriteExport(std::ostream& out, const CExpenseGroup& root, const CNoteTable& notes,
                 const CLedgerIds& ids);
// Header "index,name,balance"; one row per account in list order.
void WriteAccounts(std::ostream& out, const CAccountList& accounts);
// Version, counts of records and the first and last recorded day of a file as read.
void WriteCheck(std::ostream& out, const LoadedData& data);
// After the check: a line per conflict copy of dataFile (a name) among the names of its
// folder, with the service that left it, and what to do about them; nothing when none.
void WriteConflictCopies(std::ostream& out, std::string_view dataFile,
                         std::span<const std::string> folderNames);

} // namespace tamblero::cli
