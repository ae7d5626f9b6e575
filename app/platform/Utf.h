// Conversions between the program's UTF-16 text and UTF-8 for files and terminals.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tamblero {

// An unpaired surrogate becomes U+FFFD.
[[nodiscard]] std::string Utf8FromUtf16(const std::u16string& s);
// Each byte that does not begin well-formed UTF-8 becomes U+FFFD: an overlong form, an
// encoded surrogate, a code point past U+10FFFF, a stray or missing continuation byte.
[[nodiscard]] std::u16string Utf16FromUtf8(const std::string& s);
// Where the first such byte is; nothing when the whole text is well-formed UTF-8.
[[nodiscard]] std::optional<std::size_t> FindInvalidUtf8(std::string_view s);

} // namespace tamblero
