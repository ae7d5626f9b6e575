// A first mapping for a bank's CSV that names none, for the user to correct: the columns
// told by what most of their values look like.
#pragma once

#include "statement/CsvStatement.h"

#include <string_view>

namespace tamblero {

// The first column whose values are mostly days, the first other one whose values are mostly
// amounts, and of the rest the one of the longest texts as the description; a column not
// found stays -1. The delimiter, where not given, is the one that splits the rows widest.
[[nodiscard]] CsvMapping GuessCsvMapping(std::string_view bytes, const CsvOptions& options);

} // namespace tamblero
