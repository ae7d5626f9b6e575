#include "statement/CsvStatement.h"

#include "model/Notes.h"

#include <algorithm>
#include <array>
#include <map>
#include <span>

namespace tamblero {

namespace {

// The rows the delimiter is guessed from: enough to see its pattern, few enough to be quick.
constexpr std::size_t kSampleLines = 50;
// The most rows without a date passed over before the operations and after them.
constexpr std::size_t kMaxAroundRows = 10;

// The delimiter whose count of fields is the same on most of the first lines, at least two
// fields; of equals, the one that makes more fields (a decimal comma splits an amount in two,
// a ";" splits the row in all its columns).
char16_t DetectDelimiter(std::u16string_view text) {
    char16_t best = u',';
    std::size_t bestLines = 0;
    std::size_t bestFields = 0;
    for (const char16_t delimiter : {u';', u'\t', u','}) {
        std::map<std::size_t, std::size_t> linesByFields;
        std::size_t fields = 1;
        std::size_t lines = 0;
        bool quoted = false;
        bool blank = true;
        for (std::size_t i = 0; i <= text.size() && lines < kSampleLines; ++i) {
            // The end closes the last line, even inside a quote that never closes.
            const bool end = i == text.size();
            const char16_t c = end ? u'\n' : text[i];
            if (c == u'"') {
                quoted = !quoted;
            } else if (!quoted && c == delimiter) {
                ++fields;
            } else if ((!quoted || end) && c == u'\n') {
                if (!blank) {
                    ++linesByFields[fields];
                    ++lines;
                }
                fields = 1;
                blank = true;
                continue;
            }
            blank = blank && (c == u'\r' || c == u' ');
        }
        for (const auto& [count, many] : linesByFields) {
            if (count >= 2 && (many > bestLines || (many == bestLines && count > bestFields))) {
                best = delimiter;
                bestLines = many;
                bestFields = count;
            }
        }
    }
    return best;
}

// The separator that stands before the last one or two digits of the amounts; where no amount
// has a fraction, the one that goes with the delimiter ("1234,5;..." is Russian, "1234.5,..."
// is not).
char16_t DetectDecimal(std::span<const CsvRecord> records, const CsvMapping& mapping,
                       char16_t delimiter) {
    std::size_t commas = 0;
    std::size_t points = 0;
    for (const CsvRecord& record : records) {
        for (const int column : {mapping.amount, mapping.debit, mapping.credit}) {
            if (column < 0 || static_cast<std::size_t>(column) >= record.fields.size()) {
                continue;
            }
            const std::u16string value = Trimmed(record.fields[static_cast<std::size_t>(column)]);
            const std::size_t mark = value.find_last_of(u".,");
            const std::size_t after = mark == std::u16string::npos ? 0 : value.size() - mark - 1;
            if (after == 1 || after == 2) {
                ++(value[mark] == u',' ? commas : points);
            }
        }
    }
    if (commas != points) {
        return commas > points ? u',' : u'.';
    }
    return delimiter == u',' ? u'.' : u',';
}

struct DateGuess {
    DateForm form = DateForm::DayMonthYearDots;
    bool guessed = false;
};

// The form every day of the column reads in; of the two with slashes, where both do, the day
// first, as a Russian bank writes it. Where none reads them all, the one that reads most, so
// that the error names the first day it cannot.
DateGuess DetectDateForm(std::span<const CsvRecord> records, int column) {
    constexpr std::array kForms{DateForm::DayMonthYearDots, DateForm::YearMonthDayDashes,
                                DateForm::DayMonthYearSlashes, DateForm::MonthDayYearSlashes};
    std::array<std::size_t, kForms.size()> read{};
    std::size_t values = 0;
    for (const CsvRecord& record : records) {
        const auto& fields = record.fields;
        if (static_cast<std::size_t>(column) >= fields.size()) {
            continue;
        }
        ++values;
        for (std::size_t f = 0; f < kForms.size(); ++f) {
            read[f] += ParseDate(fields[static_cast<std::size_t>(column)], kForms[f]) ? 1U : 0U;
        }
    }
    const std::size_t best =
        static_cast<std::size_t>(std::max_element(read.begin(), read.end()) - read.begin());
    return {kForms[best], values > 0 && read[2] == values && read[3] == values};
}

bool AnyDate(std::u16string_view text) {
    for (const DateForm form : {DateForm::DayMonthYearDots, DateForm::YearMonthDayDashes,
                                DateForm::DayMonthYearSlashes, DateForm::MonthDayYearSlashes}) {
        if (ParseDate(text, form)) {
            return true;
        }
    }
    return false;
}

// Whether a date's field holds no day but words or nothing, as a title or a total does.
bool IsWords(std::u16string_view text) {
    const bool letters = std::any_of(text.begin(), text.end(), [](char16_t c) {
        return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || c >= 0x0400;
    });
    return (letters || Trimmed(text).empty()) && !AnyDate(text);
}

std::u16string Column(int column) {
    std::u16string text;
    for (int n = column + 1; n > 0; n /= 10) {
        text.insert(text.begin(), static_cast<char16_t>(u'0' + n % 10));
    }
    return text;
}

} // namespace

bool CsvMapping::Valid() const {
    if (date < 0 || description < 0 || (amount < 0 && debit < 0 && credit < 0) ||
        (amount >= 0 && (debit >= 0 || credit >= 0))) {
        return false;
    }
    std::vector<int> used;
    for (const int column : {date, amount, debit, credit, description, category, account, id}) {
        if (column >= 0) {
            if (std::find(used.begin(), used.end(), column) != used.end()) {
                return false;
            }
            used.push_back(column);
        }
    }
    return true;
}

std::vector<CsvRecord> SplitCsv(std::u16string_view text, char16_t delimiter,
                                std::optional<StatementError>& error) {
    std::vector<CsvRecord> records;
    CsvRecord record;
    std::u16string field;
    std::size_t line = 1;
    std::size_t quoteLine = 0; // where the open quote is; 0 outside quotes
    bool wasQuoted = false;
    std::size_t values = 0;
    record.line = 1;
    // Ends the field; false where that is one too many.
    auto endField = [&] {
        record.fields.push_back(std::move(field));
        field.clear();
        if (record.fields.size() > kMaxCsvColumns) {
            error = StatementError{IDS_STATEMENT_TOO_MANY_COLUMNS, record.line, {}};
        } else if (++values > kMaxCsvValues) {
            error = StatementError{IDS_STATEMENT_TOO_MANY_VALUES, record.line, {}};
        }
        return !error;
    };
    auto endRecord = [&] {
        const bool blank = record.fields.empty() && field.empty() && !wasQuoted;
        if (!blank) {
            if (!endField()) {
                return false;
            }
            if (records.size() == kMaxStatementRows) {
                error = StatementError{IDS_STATEMENT_TOO_MANY_ROWS, record.line, {}};
                return false;
            }
            records.push_back(std::move(record));
        }
        record = {};
        record.line = line;
        wasQuoted = false;
        return true;
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (quoteLine != 0) {
            if (c == u'"' && i + 1 < text.size() && text[i + 1] == u'"') {
                field += u'"';
                ++i;
            } else if (c == u'"') {
                quoteLine = 0;
            } else {
                line += c == u'\n' ? 1 : 0;
                field += c;
            }
        } else if (c == u'"' && Trimmed(field).empty()) {
            field.clear();
            quoteLine = line;
            wasQuoted = true;
        } else if (c == delimiter) {
            if (!endField()) {
                return {};
            }
        } else if (c == u'\n') {
            ++line;
            if (!endRecord()) {
                return {};
            }
        } else if (c != u'\r') {
            field += c;
        }
    }
    if (quoteLine != 0) {
        error = StatementError{IDS_STATEMENT_BAD_QUOTES, quoteLine, {}};
        return {};
    }
    if (!endRecord()) {
        return {};
    }
    return records;
}

CsvRead ReadCsv(std::string_view bytes, const CsvMapping& mapping, const CsvOptions& options) {
    CsvRead out;
    StatementRead& read = out.read;
    CsvSettings& settings = out.settings;
    auto fail = [&](StatementError error) {
        read.rows.clear();
        read.error = std::move(error);
        return out;
    };
    if (auto error = CheckStatementBytes(bytes)) {
        return fail(*error);
    }
    settings.encoding = options.encoding.value_or(DetectEncoding(bytes));
    read.encoding = settings.encoding;
    const std::u16string text = DecodeText(bytes, settings.encoding);
    settings.delimiter = options.delimiter.value_or(DetectDelimiter(text));

    std::optional<StatementError> error;
    const std::vector<CsvRecord> records = SplitCsv(text, settings.delimiter, error);
    if (error) {
        return fail(*error);
    }
    if (records.empty()) {
        return fail({IDS_STATEMENT_EMPTY, 0, {}});
    }
    int widest = 0;
    for (const int column : {mapping.date, mapping.amount, mapping.debit, mapping.credit,
                             mapping.description, mapping.category, mapping.account, mapping.id}) {
        widest = std::max(widest, column);
    }
    std::size_t mostFields = 0;
    for (const CsvRecord& record : records) {
        mostFields = std::max(mostFields, record.fields.size());
    }

    // The settings are found before the mapping is judged, from whatever columns it names:
    // while the user puts the columns right, the preview shows what the file holds, not a
    // default in its place.
    // The rows around the operations: column names, the bank's title and period, totals. An
    // operation whose day is wrong is no such row: it is refused, never left out unseen.
    const bool dateFits = mapping.date >= 0 && static_cast<std::size_t>(mapping.date) < mostFields;
    const auto date = static_cast<std::size_t>(mapping.date);
    auto dated = [&](const CsvRecord& record) {
        return record.fields.size() > date && !IsWords(record.fields[date]);
    };
    std::size_t header = 0;
    std::size_t footer = 0;
    if (dateFits) {
        while (header < records.size() && header < kMaxAroundRows && !dated(records[header])) {
            ++header;
        }
        while (footer + header < records.size() && footer < kMaxAroundRows &&
               !dated(records[records.size() - 1 - footer])) {
            ++footer;
        }
    }
    settings.headerRows = std::min(options.headerRows.value_or(header), records.size());
    settings.footerRows =
        std::min(options.footerRows.value_or(footer), records.size() - settings.headerRows);
    const std::size_t first = settings.headerRows;
    const std::size_t last = records.size() - settings.footerRows;
    const std::span<const CsvRecord> operations(records.data() + first, last - first);

    settings.decimal =
        options.decimal.value_or(DetectDecimal(operations, mapping, settings.delimiter));
    const DateGuess guess = dateFits ? DetectDateForm(operations, mapping.date) : DateGuess{};
    settings.dateForm = options.dateForm.value_or(guess.form);
    out.dateFormGuessed = !options.dateForm && guess.guessed;

    if (!mapping.Valid()) {
        return fail({IDS_STATEMENT_BAD_MAPPING, 0, {}});
    }
    if (mostFields <= static_cast<std::size_t>(widest)) {
        return fail({IDS_STATEMENT_MAPPING_FITS_NONE, 0, Column(static_cast<int>(mostFields) - 1)});
    }
    if (!options.headerRows && !options.footerRows && header + footer == records.size()) {
        return fail({IDS_STATEMENT_NO_DATES, 0, Column(mapping.date)});
    }

    read.rows.reserve(operations.size());
    for (const CsvRecord& record : operations) {
        if (record.fields.size() <= static_cast<std::size_t>(widest)) {
            return fail({IDS_STATEMENT_NO_COLUMN, record.line, Column(widest)});
        }
        auto at = [&](int column) {
            return column < 0 ? std::u16string()
                              : Trimmed(record.fields[static_cast<std::size_t>(column)]);
        };
        StatementRow row;
        row.line = record.line;
        const std::u16string dayText = at(mapping.date);
        const std::optional<DayNumber> day = ParseDate(dayText, settings.dateForm);
        if (!day) {
            return fail({IDS_STATEMENT_BAD_DATE, record.line, dayText});
        }
        row.day = *day;
        std::u16string amountText;
        if (mapping.amount >= 0) {
            amountText = at(mapping.amount);
            const auto amount = ParseHundredths(amountText, settings.decimal);
            if (!amount) {
                return fail({IDS_STATEMENT_BAD_AMOUNT, record.line, amountText});
            }
            row.hundredths = *amount;
        } else {
            bool any = false;
            for (const int column : {mapping.debit, mapping.credit}) {
                const std::u16string value = at(column);
                if (value.empty()) {
                    continue;
                }
                const auto amount = ParseHundredths(value, settings.decimal);
                if (!amount) {
                    return fail({IDS_STATEMENT_BAD_AMOUNT, record.line, value});
                }
                const std::int64_t size = *amount < 0 ? -*amount : *amount;
                row.hundredths += column == mapping.debit ? -size : size;
                amountText = value;
                any = true;
            }
            if (!any) {
                return fail({IDS_STATEMENT_NO_AMOUNT, record.line, {}});
            }
        }
        if (!RoundToWhole(row.hundredths)) {
            return fail({IDS_STATEMENT_AMOUNT_RANGE, record.line, amountText});
        }
        row.description = Trimmed(OnOneLine(at(mapping.description)));
        row.category = at(mapping.category);
        row.account = at(mapping.account);
        row.bankId = at(mapping.id);
        read.rows.push_back(std::move(row));
    }
    if (read.rows.empty()) {
        return fail({IDS_STATEMENT_EMPTY, 0, {}});
    }
    return out;
}

std::u16string Trimmed(std::u16string_view text) {
    constexpr std::u16string_view kBlanks = u" \t\u00A0\u202F";
    const std::size_t first = text.find_first_not_of(kBlanks);
    if (first == std::u16string_view::npos) {
        return {};
    }
    return std::u16string(text.substr(first, text.find_last_not_of(kBlanks) - first + 1));
}

} // namespace tamblero
