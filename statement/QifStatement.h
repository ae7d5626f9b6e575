// A QIF file's bank, cash and card sections as statement rows.
#pragma once

#include "statement/Statement.h"

#include <string_view>

namespace tamblero {

// Reads the operations of every "!Type:Bank", "Cash", "CCard", "Oth A" and "Oth L" section
// (other sections, such as categories or investments, are passed over). Of an operation's
// fields: D the day ("12/31/2025", "31.12.2025", "12/31'25"), T (or U) the amount, with ","
// grouping thousands, P the payee and M the memo (the description: both where both are
// given), N its number (the bank id where it holds a digit: "ATM" or "DEP" identify nothing),
// L the category ("[Account]" for a transfer, kept as written); ^ ends it.
[[nodiscard]] StatementRead ReadQif(std::string_view bytes);

} // namespace tamblero
