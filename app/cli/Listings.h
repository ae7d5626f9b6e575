// The expenses and the accounts as CSV, and the summary of a data file.
#pragma once

#include "model/Account.h"
#include "model/CategoryNode.h"
#include "storage/DataFile.h"

#include <ostream>

namespace tamblero::cli {

// Header "date,category,amount,account,note"; one row per entry in the tree's order, then
// by day, then in the order of the day. The category runs from the root's child down; the
// note is the entry's text in notes, empty for none.
void WriteExport(std::ostream& out, const CExpenseGroup& root, const CNoteTable& notes = {});
// Header "index,name,balance"; one row per account in list order.
void WriteAccounts(std::ostream& out, const CAccountList& accounts);
// Version, counts of records and the first and last recorded day of a file as read.
void WriteCheck(std::ostream& out, const LoadedData& data);

} // namespace tamblero::cli
