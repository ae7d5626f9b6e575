// The brace notation of a ready-made category structure.
#pragma once

#include <string>

namespace tamblero {

class CExpenseGroup;

// Adds the groups and articles described by text to group: a name before "{" is a
// group whose children follow up to the matching "}", a name before "," or "}" an
// article; "}" closes the group. Text after the last delimiter is ignored.
// Answers the position after the "}" that closed the group, or npos at the end.
std::size_t ParseStructure(CExpenseGroup& group, const std::u16string& text, std::size_t pos = 0);

} // namespace tamblero
