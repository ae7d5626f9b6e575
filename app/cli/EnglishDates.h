// Date pictures ("d", "ddd", "MMM", "LLL", "yyyy" and blanks) with English names, for the
// places that have no user locale to ask: the command line, benchmarks and tests. English
// writes a month alike after a day and alone, so "MMM" and "LLL" are the same here.
#pragma once

#include "app/platform/Platform.h"

#include <string>

namespace tamblero {

[[nodiscard]] std::u16string FormatDateEnglish(const CalendarDate& date,
                                               const std::u16string& picture);

} // namespace tamblero
