// The expenses behind one number of the report, as the window's entries dialog lists them.
#pragma once

#include "app/cli/Arguments.h"

#include <ostream>

namespace tamblero {
class CVerdalonDoc;
} // namespace tamblero

namespace tamblero::cli {

// Header "date,category,amount,account,note", then the entries of the request's node in its
// column of the period, oldest first; with a match, those of every day whose note holds
// its text, case aside. Answers false, writing the reason to err and nothing to out, when
// the file has no such node or the period no such column.
[[nodiscard]] bool WriteEntries(std::ostream& out, std::ostream& err, CVerdalonDoc& doc,
                                IPlatform& platform, const Request& request);

} // namespace tamblero::cli
