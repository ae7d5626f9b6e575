#include "statement/QifStatement.h"

#include <optional>
#include <string>

namespace tamblero {

namespace {

bool IsAsciiLetter(char16_t c) {
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
}

std::u16string AsciiLower(std::u16string_view text) {
    std::u16string out(text);
    for (char16_t& c : out) {
        c = c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c;
    }
    return out;
}

std::u16string_view TrimAscii(std::u16string_view text) {
    while (!text.empty() && (text.front() == u' ' || text.front() == u'\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == u' ' || text.back() == u'\t' || text.back() == u'\r')) {
        text.remove_suffix(1);
    }
    return text;
}

// Quicken pads a day with blanks ("D 1/ 5'25") and writes years of this century after "'".
std::optional<DayNumber> QifDay(std::u16string_view text) {
    std::u16string day;
    for (const char16_t c : text) {
        if (c != u' ') {
            day += c == u'\'' ? u'/' : c;
        }
    }
    if (day.find(u'.') != std::u16string::npos) {
        return ParseDate(day, DateForm::DayMonthYearDots);
    }
    if (day.find(u'-') != std::u16string::npos) {
        return ParseDate(day, DateForm::YearMonthDayDashes);
    }
    return ParseDate(day, DateForm::MonthDayYearSlashes);
}

// "," groups thousands, but a Russian program writes a decimal comma: a comma followed by one
// or two digits at the end, with no point anywhere, is one.
std::optional<std::int64_t> QifAmount(std::u16string_view text) {
    const std::size_t comma = text.rfind(u',');
    const bool decimalComma = text.find(u'.') == std::u16string_view::npos &&
                              comma != std::u16string_view::npos && text.size() - comma - 1 >= 1 &&
                              text.size() - comma - 1 <= 2;
    return ParseHundredths(text, decimalComma ? u',' : u'.');
}

struct Record {
    std::size_t line = 0; // of its first field; 0 while it has none
    std::optional<std::u16string> day;
    std::optional<std::u16string> amount;
    std::u16string payee;
    std::u16string memo;
    std::u16string number;
    std::u16string category;
};

// The record as a row, or why it cannot be one.
std::optional<StatementError> Finish(const Record& record, std::vector<StatementRow>& rows) {
    if (rows.size() == kMaxStatementRows) {
        return StatementError{IDS_STATEMENT_TOO_MANY_ROWS, record.line, {}};
    }
    if (!record.day) {
        return StatementError{IDS_STATEMENT_QIF_NO_DATE, record.line, {}};
    }
    if (!record.amount) {
        return StatementError{IDS_STATEMENT_QIF_NO_AMOUNT, record.line, {}};
    }
    StatementRow row;
    row.line = record.line;
    const std::optional<DayNumber> day = QifDay(*record.day);
    if (!day) {
        return StatementError{IDS_STATEMENT_BAD_DATE, record.line, *record.day};
    }
    row.day = *day;
    const std::optional<std::int64_t> amount = QifAmount(*record.amount);
    if (!amount) {
        return StatementError{IDS_STATEMENT_BAD_AMOUNT, record.line, *record.amount};
    }
    if (!RoundToWhole(*amount)) {
        return StatementError{IDS_STATEMENT_AMOUNT_RANGE, record.line, *record.amount};
    }
    row.hundredths = *amount;
    row.description = record.payee;
    if (!record.memo.empty() && record.memo != record.payee) {
        row.description += row.description.empty() ? record.memo : u" — " + record.memo;
    }
    if (record.number.find_first_of(u"0123456789") != std::u16string::npos) {
        row.bankId = record.number;
    }
    row.category = record.category;
    rows.push_back(std::move(row));
    return std::nullopt;
}

} // namespace

StatementRead ReadQif(std::string_view bytes) {
    StatementRead read;
    if ((read.error = CheckStatementBytes(bytes))) {
        return read;
    }
    read.encoding = DetectEncoding(bytes);
    const std::u16string text = DecodeText(bytes, read.encoding);

    enum class Section { None, Bank, Other };
    Section section = Section::None;
    bool anyBank = false;
    Record record;
    std::size_t lineNumber = 0;
    auto fail = [&](StatementError error) {
        read.rows.clear();
        read.error = std::move(error);
        return read;
    };
    for (std::size_t at = 0; at < text.size();) {
        std::size_t end = text.find(u'\n', at);
        end = end == std::u16string::npos ? text.size() : end;
        const std::u16string_view line = TrimAscii(std::u16string_view(text).substr(at, end - at));
        at = end + 1;
        ++lineNumber;
        if (line.empty()) {
            continue;
        }
        if (line.front() == u'!') {
            if (record.line != 0) {
                if (auto error = Finish(record, read.rows)) {
                    return fail(*error);
                }
                record = {};
            }
            const std::u16string header = AsciiLower(line);
            if (header.starts_with(u"!type:")) {
                const std::u16string type(TrimAscii(std::u16string_view(header).substr(6)));
                const bool bank = type == u"bank" || type == u"cash" || type == u"ccard" ||
                                  type == u"oth a" || type == u"oth l";
                section = bank ? Section::Bank : Section::Other;
                anyBank = anyBank || bank;
            } else if (header.starts_with(u"!account")) {
                section = Section::Other; // the account list: names, not operations
            } else if (section == Section::None && !header.starts_with(u"!option") &&
                       !header.starts_with(u"!clear")) {
                return fail(
                    {IDS_STATEMENT_NOT_QIF, lineNumber, std::u16string(line.substr(0, 40))});
            }
            continue;
        }
        if (section == Section::None) {
            return fail({IDS_STATEMENT_NOT_QIF, lineNumber, std::u16string(line.substr(0, 40))});
        }
        if (section == Section::Other) {
            continue;
        }
        const char16_t field = line.front();
        const std::u16string_view value = TrimAscii(line.substr(1));
        if (field == u'^') {
            if (record.line != 0) {
                if (auto error = Finish(record, read.rows)) {
                    return fail(*error);
                }
            }
            record = {};
            continue;
        }
        if (!IsAsciiLetter(field) && field != u'$' && field != u'%') {
            return fail(
                {IDS_STATEMENT_QIF_BAD_LINE, lineNumber, std::u16string(line.substr(0, 40))});
        }
        record.line = record.line == 0 ? lineNumber : record.line;
        switch (field) {
        case u'D':
            record.day = std::u16string(value);
            break;
        case u'T':
            record.amount = std::u16string(value);
            break;
        case u'U':
            if (!record.amount) {
                record.amount = std::u16string(value);
            }
            break;
        case u'P':
            record.payee = value;
            break;
        case u'M':
            record.memo = value;
            break;
        case u'N':
            record.number = value;
            break;
        case u'L':
            record.category = value;
            break;
        default:
            break; // cleared marks, addresses, splits: the operation's total stands
        }
    }
    if (record.line != 0) {
        if (auto error = Finish(record, read.rows)) {
            return fail(*error);
        }
    }
    if (lineNumber > 0 && section != Section::None && !anyBank) {
        return fail({IDS_STATEMENT_QIF_NO_BANK, 0, {}});
    }
    if (read.rows.empty()) {
        return fail({IDS_STATEMENT_EMPTY, 0, {}});
    }
    return read;
}

} // namespace tamblero
