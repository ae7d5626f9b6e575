// What the statement tests share: statements written as bytes, in UTF-8 or the Cyrillic code
// page.
#pragma once

#include "app/platform/Utf.h"
#include "period/DayNumber.h"
#include "statement/Statement.h"

#include <string>

namespace tamblero::test {

inline std::string Utf8(const std::u16string& text) {
    return Utf8FromUtf16(text);
}

// Russian text and ASCII in Windows-1251, as Russian banks export it.
inline std::string Cp1251(std::u16string_view text) {
    std::string bytes;
    for (const char16_t c : text) {
        if (c >= u'А' && c <= u'я') {
            bytes += static_cast<char>(0xC0 + (c - u'А'));
        } else if (c == u'Ё' || c == u'ё') {
            bytes += static_cast<char>(c == u'Ё' ? 0xA8 : 0xB8);
        } else {
            bytes += static_cast<char>(c);
        }
    }
    return bytes;
}

inline DayNumber Day(int year, int month, int day) {
    return DayNumberFromDate(year, month, day);
}

inline StatementRow Row(DayNumber day, std::int64_t hundredths, std::u16string description,
                        std::u16string bankId = {}) {
    StatementRow row;
    row.day = day;
    row.hundredths = hundredths;
    row.description = std::move(description);
    row.bankId = std::move(bankId);
    return row;
}

} // namespace tamblero::test
