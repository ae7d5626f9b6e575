#include "app/core/Utf.h"

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

std::u16string Utf16FromUtf8(const std::string& s) {
    std::u16string out;
    std::size_t i = 0;
    while (i < s.size()) {
        const auto b = static_cast<unsigned char>(s[i]);
        char32_t c = 0xFFFD;
        std::size_t len = 1;
        if (b < 0x80) {
            c = b;
        } else if ((b & 0xE0U) == 0xC0U) {
            len = 2;
            c = b & 0x1FU;
        } else if ((b & 0xF0U) == 0xE0U) {
            len = 3;
            c = b & 0x0FU;
        } else if ((b & 0xF8U) == 0xF0U) {
            len = 4;
            c = b & 0x07U;
        } else {
            len = 0;
        }
        bool ok = len != 0 && i + len <= s.size();
        for (std::size_t k = 1; ok && k < len; ++k) {
            const auto cb = static_cast<unsigned char>(s[i + k]);
            ok = (cb & 0xC0U) == 0x80U;
            c = (c << 6U) | (cb & 0x3FU);
        }
        if (!ok) {
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

} // namespace tamblero
