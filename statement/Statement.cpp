#include "statement/Statement.h"

#include "app/platform/Utf.h"
#include "model/Notes.h"

#include <array>
#include <limits>

namespace tamblero {

namespace {

// Windows-1251 from 0x80 on; 0x98 names no character.
constexpr std::array<char16_t, 64> kCp1251High{
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409,
    0x2039, 0x040A, 0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0xFFFD, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0,
    0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB,
    0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6,
    0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457};

constexpr std::string_view kBom = "\xEF\xBB\xBF";

std::u16string Number(std::uint64_t n) {
    std::u16string text;
    do {
        text.insert(text.begin(), static_cast<char16_t>(u'0' + n % 10));
        n /= 10;
    } while (n != 0);
    return text;
}

bool IsDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

bool IsBlank(char16_t c) {
    return c == u' ' || c == u'\u00A0' || c == u'\u202F' || c == u'\t';
}

std::u16string_view Trim(std::u16string_view text) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

bool RealDay(int year, int month, int day) {
    static constexpr std::array<int, 12> kDays{31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (year < 1601 || year > 9999 || month < 1 || month > 12 || day < 1 ||
        day > kDays[static_cast<std::size_t>(month - 1)]) {
        return false;
    }
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month != 2 || day <= 28 || leap;
}

// Up to `most` digits from the front of the text, at least one; -1 for none.
int TakeNumber(std::u16string_view& text, std::size_t most, std::size_t& digits) {
    int value = 0;
    digits = 0;
    while (!text.empty() && IsDigit(text.front()) && digits < most) {
        value = value * 10 + (text.front() - u'0');
        text.remove_prefix(1);
        ++digits;
    }
    return digits == 0 ? -1 : value;
}

} // namespace

std::u16string StatementError::Message() const {
    return FormatString(text, {Number(line), element});
}

TextEncoding DetectEncoding(std::string_view bytes) {
    if (bytes.starts_with(kBom)) {
        return TextEncoding::Utf8Bom;
    }
    return FindInvalidUtf8(bytes) ? TextEncoding::Cp1251 : TextEncoding::Utf8;
}

std::u16string DecodeText(std::string_view bytes, TextEncoding encoding) {
    if (encoding != TextEncoding::Cp1251) {
        if (bytes.starts_with(kBom)) {
            bytes.remove_prefix(kBom.size());
        }
        return Utf16FromUtf8(std::string(bytes));
    }
    std::u16string text(bytes.size(), u'\0');
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        if (byte < 0x80) {
            text[i] = byte;
        } else if (byte < 0xC0) {
            text[i] = kCp1251High[byte - 0x80U];
        } else {
            text[i] = static_cast<char16_t>(0x0410 + (byte - 0xC0));
        }
    }
    return text;
}

std::optional<StatementError> CheckStatementBytes(std::string_view bytes) {
    if (bytes.size() > kMaxStatementBytes) {
        return StatementError{IDS_STATEMENT_TOO_LARGE, 0, Number(bytes.size())};
    }
    const std::size_t zero = bytes.find('\0');
    if (zero != std::string_view::npos) {
        std::size_t line = 1;
        for (std::size_t i = 0; i < zero; ++i) {
            line += bytes[i] == '\n' ? 1U : 0U;
        }
        return StatementError{IDS_STATEMENT_NOT_TEXT, line, {}};
    }
    return std::nullopt;
}

std::optional<std::int64_t> ParseHundredths(std::u16string_view text, char16_t decimal) {
    text = Trim(text);
    bool negative = false;
    if (text.size() >= 2 && text.front() == u'(' && text.back() == u')') {
        negative = true;
        text = Trim(text.substr(1, text.size() - 2));
    }
    if (!text.empty() &&
        (text.front() == u'-' || text.front() == u'\u2212' || text.front() == u'+')) {
        if (negative && text.front() != u'+') {
            return std::nullopt;
        }
        negative = negative || text.front() != u'+';
        text = Trim(text.substr(1));
    }
    const char16_t grouping = decimal == u',' ? u'.' : u',';
    std::int64_t whole = 0;
    int wholeDigits = 0;
    int fraction = 0;
    int fractionDigits = -1; // -1: no decimal separator yet
    bool lastWasDigit = false;
    for (const char16_t c : text) {
        if (IsDigit(c)) {
            if (fractionDigits >= 0) {
                if (++fractionDigits > 2) {
                    return std::nullopt;
                }
                fraction = fraction * 10 + (c - u'0');
            } else {
                if (++wholeDigits > 15) {
                    return std::nullopt;
                }
                whole = whole * 10 + (c - u'0');
            }
            lastWasDigit = true;
        } else if (c == decimal && fractionDigits < 0) {
            fractionDigits = 0;
            lastWasDigit = false;
        } else if ((c == grouping || IsBlank(c) || c == u'\'') && fractionDigits < 0 &&
                   lastWasDigit) {
            lastWasDigit = false;
        } else {
            return std::nullopt;
        }
    }
    if (wholeDigits + std::max(fractionDigits, 0) == 0 || (!lastWasDigit && fractionDigits != 0)) {
        return std::nullopt;
    }
    if (fractionDigits == 1) {
        fraction *= 10;
    }
    const std::int64_t hundredths = whole * 100 + fraction;
    return negative ? -hundredths : hundredths;
}

std::optional<DayNumber> ParseDate(std::u16string_view text, DateForm form) {
    text = Trim(text);
    // A time after the day: "31.12.2025 14:05", "2025-12-31T14:05:00".
    const std::size_t end =
        text.find_first_of(form == DateForm::YearMonthDayDashes ? std::u16string_view(u" \u00A0T")
                                                                : std::u16string_view(u" \u00A0"));
    text = text.substr(0, end);
    const char16_t separator = form == DateForm::DayMonthYearDots     ? u'.'
                               : form == DateForm::YearMonthDayDashes ? u'-'
                                                                      : u'/';
    std::array<int, 3> parts{};
    std::array<std::size_t, 3> digits{};
    for (std::size_t i = 0; i < 3; ++i) {
        if (i > 0) {
            if (text.empty() || text.front() != separator) {
                return std::nullopt;
            }
            text.remove_prefix(1);
        }
        parts[i] = TakeNumber(text, 4, digits[i]);
        if (parts[i] < 0) {
            return std::nullopt;
        }
    }
    if (!text.empty()) {
        return std::nullopt;
    }
    int year = 0;
    int month = 0;
    int day = 0;
    std::size_t yearDigits = 0;
    switch (form) {
    case DateForm::DayMonthYearDots:
    case DateForm::DayMonthYearSlashes:
        day = parts[0], month = parts[1], year = parts[2], yearDigits = digits[2];
        break;
    case DateForm::MonthDayYearSlashes:
        month = parts[0], day = parts[1], year = parts[2], yearDigits = digits[2];
        break;
    case DateForm::YearMonthDayDashes:
        year = parts[0], month = parts[1], day = parts[2], yearDigits = digits[0];
        break;
    }
    if (yearDigits == 2) {
        year += 2000; // a statement of the last century is nothing to import
    } else if (yearDigits != 4) {
        return std::nullopt;
    }
    if (!RealDay(year, month, day)) {
        return std::nullopt;
    }
    return DayNumberFromDate(year, month, day);
}

std::optional<Amount> RoundToWhole(std::int64_t hundredths) {
    constexpr std::int64_t kMost = std::numeric_limits<Amount>::max();
    if (hundredths < -(kMost * 100 + 49) || hundredths > kMost * 100 + 49) {
        return std::nullopt;
    }
    const std::int64_t size = hundredths < 0 ? -hundredths : hundredths;
    const std::int64_t whole = (size + 50) / 100;
    return static_cast<Amount>(hundredths < 0 ? -whole : whole);
}

std::u16string HundredthsText(std::int64_t hundredths) {
    const std::uint64_t size = hundredths < 0 ? 0 - static_cast<std::uint64_t>(hundredths)
                                              : static_cast<std::uint64_t>(hundredths);
    std::u16string text = Number(size / 100);
    if (size % 100 != 0) {
        text += u',';
        text += static_cast<char16_t>(u'0' + size % 100 / 10);
        text += static_cast<char16_t>(u'0' + size % 10);
    }
    return text;
}

std::u16string ImportNote(const StatementRow& row) {
    std::u16string note = CleanNote(row.description);
    if (row.hundredths % 100 == 0) {
        return note;
    }
    // The exact amount is what the rounding lost: it stays, however long the words.
    const std::u16string exact = u" (" + HundredthsText(row.hundredths) + u")";
    if (note.size() + exact.size() > kMaxNoteLength) {
        note.resize(kMaxNoteLength - exact.size());
        if (!note.empty() && note.back() >= 0xD800 && note.back() <= 0xDBFF) {
            note.pop_back();
        }
    }
    return CleanNote(note + exact);
}

std::int64_t StatementRead::ExactTotal() const {
    std::int64_t total = 0;
    for (const StatementRow& row : rows) {
        total += row.hundredths;
    }
    return total;
}

std::int64_t StatementRead::RoundedTotal() const {
    std::int64_t total = 0;
    for (const StatementRow& row : rows) {
        total += RoundToWhole(row.hundredths).value_or(0);
    }
    return total;
}

} // namespace tamblero
