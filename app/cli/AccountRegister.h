// An account's register as CSV: the rows of the window's "Операции".
#pragma once

#include <ostream>
#include <string>

namespace tamblero {
class CVerdalonDoc;
} // namespace tamblero

namespace tamblero::cli {

// Header "date,kind,other,amount,note,balance", then the opening row and every deposit,
// transfer and expense of the account named so (UTF-8), oldest first. The opening row's
// amount is its balance, so that the amounts add up to the account's balance; its date is
// the first row's, empty where there is none. An expense's category is written as the export
// writes it. Answers false, writing the reason to err and nothing to out, where no account or
// more than one has the name.
// The place of the account named so (UTF-8) in the list; -1, having written the reason to
// err, where no account or more than one has the name.
[[nodiscard]] int AccountNamed(std::ostream& err, const CVerdalonDoc& doc, const std::string& name);

[[nodiscard]] bool WriteRegister(std::ostream& out, std::ostream& err, const CVerdalonDoc& doc,
                                 const std::string& name);

} // namespace tamblero::cli
