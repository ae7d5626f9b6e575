// Conversions between the program's UTF-16 text and UTF-8 for files and terminals.
#pragma once

#include <string>

namespace tamblero {

// An unpaired surrogate becomes U+FFFD.
[[nodiscard]] std::string Utf8FromUtf16(const std::u16string& s);
// A malformed byte becomes U+FFFD.
[[nodiscard]] std::u16string Utf16FromUtf8(const std::string& s);

} // namespace tamblero
