#include "app/platform/Utf.h"

#include <cstdint>
#include <cstring>

namespace tamblero {

std::string Utf8FromUtf16(const std::u16string& s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        char32_t c = s[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < s.size() && s[i + 1] >= 0xDC00 &&
            s[i + 1] < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10U) + (s[++i] - 0xDC00);
        } else if (c >= 0xD800 && c < 0xE000) {
            c = 0xFFFD;
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6U));
            out += static_cast<char>(0x80 | (c & 0x3FU));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12U));
            out += static_cast<char>(0x80 | ((c >> 6U) & 0x3FU));
            out += static_cast<char>(0x80 | (c & 0x3FU));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18U));
            out += static_cast<char>(0x80 | ((c >> 12U) & 0x3FU));
            out += static_cast<char>(0x80 | ((c >> 6U) & 0x3FU));
            out += static_cast<char>(0x80 | (c & 0x3FU));
        }
    }
    return out;
}

namespace {

// The length of the well-formed sequence at i, with its code point in c; 0 when the byte
// at i begins none. The shortest form only, and only scalar values up to U+10FFFF.
std::size_t DecodeAt(std::string_view s, std::size_t i, char32_t& c) {
    const auto b = static_cast<unsigned char>(s[i]);
    std::size_t len = 0;
    char32_t least = 0;
    if (b < 0x80) {
        c = b;
        return 1;
    }
    if ((b & 0xE0U) == 0xC0U) {
        len = 2;
        least = 0x80;
        c = b & 0x1FU;
    } else if ((b & 0xF0U) == 0xE0U) {
        len = 3;
        least = 0x800;
        c = b & 0x0FU;
    } else if ((b & 0xF8U) == 0xF0U) {
        len = 4;
        least = 0x10000;
        c = b & 0x07U;
    } else {
        return 0;
    }
    if (s.size() - i < len) {
        return 0;
    }
    for (std::size_t k = 1; k < len; ++k) {
        const auto cb = static_cast<unsigned char>(s[i + k]);
        if ((cb & 0xC0U) != 0x80U) {
            return 0;
        }
        c = (c << 6U) | (cb & 0x3FU);
    }
    if (c < least || c > 0x10FFFF || (c >= 0xD800 && c < 0xE000)) {
        return 0;
    }
    return len;
}

} // namespace

std::u16string Utf16FromUtf8(const std::string& s) {
    std::u16string out;
    std::size_t i = 0;
    while (i < s.size()) {
        char32_t c = 0;
        const std::size_t len = DecodeAt(s, i, c);
        if (len == 0) {
            out += u'\uFFFD';
            ++i;
            continue;
        }
        i += len;
        if (c >= 0x10000) {
            c -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (c >> 10U));
            out += static_cast<char16_t>(0xDC00 + (c & 0x3FFU));
        } else {
            out += static_cast<char16_t>(c);
        }
    }
    return out;
}

std::optional<std::size_t> FindInvalidUtf8(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size()) {
        // Eight bytes at a time through the ASCII that most of a CSV file is.
        std::uint64_t word = 0;
        if (s.size() - i >= sizeof word) {
            std::memcpy(&word, s.data() + i, sizeof word);
            if ((word & 0x8080808080808080U) == 0) {
                i += sizeof word;
                continue;
            }
        }
        char32_t c = 0;
        const std::size_t len = DecodeAt(s, i, c);
        if (len == 0) {
            return i;
        }
        i += len;
    }
    return std::nullopt;
}

} // namespace tamblero
