#include "bankimport/CsvGuess.h"

#include <algorithm>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

namespace tamblero {

namespace {

bool IsDay(std::u16string_view text) {
    for (const DateForm form : {DateForm::DayMonthYearDots, DateForm::YearMonthDayDashes,
                                DateForm::MonthDayYearSlashes, DateForm::DayMonthYearSlashes}) {
        if (ParseDate(text, form)) {
            return true;
        }
    }
    return false;
}

std::optional<std::int64_t> AmountOf(std::u16string_view text, const CsvOptions& options) {
    for (const char16_t decimal : {u',', u'.'}) {
        if (options.decimal.value_or(decimal) == decimal) {
            if (const auto amount = ParseHundredths(text, decimal)) {
                return amount;
            }
        }
    }
    return std::nullopt;
}

// A column's name in lower case, Latin and Cyrillic: enough to find a bank's usual words.
std::u16string Lowered(std::u16string_view text) {
    std::u16string out = Trimmed(text);
    for (char16_t& c : out) {
        if ((c >= u'A' && c <= u'Z') || (c >= u'А' && c <= u'Я')) {
            c = static_cast<char16_t>(c + 32);
        } else if (c == u'Ё') {
            c = u'ё';
        }
    }
    return out;
}

bool Names(std::u16string_view name, std::initializer_list<std::u16string_view> stems) {
    return std::any_of(stems.begin(), stems.end(),
                       [&](std::u16string_view stem) { return name.find(stem) != name.npos; });
}

bool NamesDebit(std::u16string_view name) {
    return Names(name, {u"списан", u"расход", u"дебет", u"debit", u"withdraw"});
}
bool NamesCredit(std::u16string_view name) {
    return Names(name, {u"зачислен", u"приход", u"поступлен", u"кредит", u"credit", u"deposit"});
}
bool NamesId(std::u16string_view name) {
    return Names(name, {u"номер", u"идентификатор"}) || name == u"id" || name.ends_with(u" id") ||
           name.starts_with(u"id ");
}

// Whether the values count 1, 2, 3... (or from 0): the rows' numbers, which the next
// statement repeats, so no bank's id.
bool Counts(const std::vector<std::u16string>& values) {
    std::size_t previous = 0;
    for (std::size_t i = 0; i < values.size(); ++i) {
        const std::u16string& value = values[i];
        if (value.empty() || value.size() > 9 ||
            !std::all_of(value.begin(), value.end(),
                         [](char16_t c) { return c >= u'0' && c <= u'9'; })) {
            return false;
        }
        std::size_t number = 0;
        for (const char16_t c : value) {
            number = number * 10 + static_cast<std::size_t>(c - u'0');
        }
        if (i == 0 ? number > 1 : number != previous + 1) {
            return false;
        }
        previous = number;
    }
    return true;
}

} // namespace

CsvMapping GuessCsvMapping(std::string_view bytes, const CsvOptions& options) {
    CsvMapping mapping;
    if (CheckStatementBytes(bytes)) {
        return mapping;
    }
    const std::u16string text = DecodeText(bytes, options.encoding.value_or(DetectEncoding(bytes)));
    std::vector<CsvRecord> records;
    std::size_t widest = 0;
    for (const char16_t delimiter : {u';', u',', u'\t'}) {
        if (options.delimiter.value_or(delimiter) != delimiter) {
            continue;
        }
        std::optional<StatementError> error;
        std::vector<CsvRecord> split = SplitCsv(text, delimiter, error);
        std::size_t columns = 0;
        for (const CsvRecord& record : split) {
            columns = std::max(columns, record.fields.size());
        }
        if (!error && columns > widest) {
            widest = columns;
            records = std::move(split);
        }
    }
    if (records.empty() || widest > kMaxCsvColumns) {
        return mapping;
    }
    std::vector<std::size_t> days(widest);
    std::vector<std::size_t> amounts(widest);
    std::vector<std::size_t> length(widest);
    for (const CsvRecord& record : records) {
        for (std::size_t c = 0; c < record.fields.size(); ++c) {
            const std::u16string& field = record.fields[c];
            if (IsDay(field)) {
                ++days[c];
            } else if (AmountOf(field, options)) {
                ++amounts[c];
            } else {
                length[c] += field.size();
            }
        }
    }
    const std::size_t most = (records.size() + 1) / 2; // the column names and totals aside
    for (std::size_t c = 0; c < widest; ++c) {
        if (days[c] >= most) {
            mapping.date = static_cast<int>(c);
            break;
        }
    }

    // The operations are the rows with a day; the row before the first of them names the
    // columns.
    std::vector<const CsvRecord*> operations;
    const CsvRecord* names = nullptr;
    for (const CsvRecord& record : records) {
        const auto date = static_cast<std::size_t>(mapping.date);
        if (mapping.date >= 0 && date < record.fields.size() && IsDay(record.fields[date])) {
            operations.push_back(&record);
        } else if (operations.empty()) {
            names = &record;
        }
    }
    auto name = [&](std::size_t c) {
        return names != nullptr && c < names->fields.size() ? Lowered(names->fields[c])
                                                            : std::u16string();
    };
    auto values = [&](std::size_t c) {
        std::vector<std::u16string> column;
        for (const CsvRecord* record : operations) {
            column.push_back(c < record->fields.size() ? Trimmed(record->fields[c]) : u"");
        }
        return column;
    };

    // The bank's id: a column named as one whose values differ on every operation. Named so
    // but counting the rows, it is neither the id nor the amount.
    int counter = -1;
    for (std::size_t c = 0; c < widest && !operations.empty(); ++c) {
        if (static_cast<int>(c) == mapping.date || !NamesId(name(c))) {
            continue;
        }
        std::vector<std::u16string> column = values(c);
        if (Counts(column)) {
            counter = static_cast<int>(c);
            continue;
        }
        if (std::any_of(column.begin(), column.end(), [](const auto& v) { return v.empty(); })) {
            continue;
        }
        std::sort(column.begin(), column.end());
        if (std::adjacent_find(column.begin(), column.end()) == column.end()) {
            mapping.id = static_cast<int>(c);
            break;
        }
    }

    // Debit and credit apart: columns of amounts or nothing, named so, or two that each leave
    // empty (or zero) where the other has an amount.
    struct Money {
        int column;
        std::vector<int> signs; // per operation: -1, 1, or 0 for nothing
    };
    std::vector<Money> money;
    for (std::size_t c = 0; c < widest && !operations.empty(); ++c) {
        if (static_cast<int>(c) == mapping.date || static_cast<int>(c) == mapping.id ||
            static_cast<int>(c) == counter) {
            continue;
        }
        Money m{static_cast<int>(c), {}};
        bool all = true;
        for (const std::u16string& value : values(c)) {
            const auto amount =
                value.empty() ? std::optional<std::int64_t>(0) : AmountOf(value, options);
            all = all && amount.has_value();
            m.signs.push_back(!amount || *amount == 0 ? 0 : *amount < 0 ? -1 : 1);
        }
        if (all) {
            money.push_back(std::move(m));
        }
    }
    for (const Money& m : money) {
        const std::u16string n = name(static_cast<std::size_t>(m.column));
        if (mapping.debit < 0 && NamesDebit(n)) {
            mapping.debit = m.column;
        } else if (mapping.credit < 0 && NamesCredit(n)) {
            mapping.credit = m.column;
        }
    }
    auto fills = [](const Money& a, const Money& b) { // a is empty where b has an amount
        for (std::size_t r = 0; r < a.signs.size(); ++r) {
            if (a.signs[r] == 0 && b.signs[r] != 0) {
                return true;
            }
        }
        return false;
    };
    for (std::size_t a = 0; a < money.size() && mapping.debit < 0 && mapping.credit < 0; ++a) {
        for (std::size_t b = a + 1; b < money.size(); ++b) {
            if (fills(money[a], money[b]) && fills(money[b], money[a])) {
                // Of two unnamed, the one of minus signs goes out, else the first.
                const bool swapped = std::count(money[b].signs.begin(), money[b].signs.end(), -1) >
                                     std::count(money[a].signs.begin(), money[a].signs.end(), -1);
                mapping.debit = swapped ? money[b].column : money[a].column;
                mapping.credit = swapped ? money[a].column : money[b].column;
                break;
            }
        }
    }

    const bool split = mapping.debit >= 0 || mapping.credit >= 0;
    for (std::size_t c = 0; c < widest && !split; ++c) {
        const int column = static_cast<int>(c);
        if (column != mapping.date && column != mapping.id && column != counter &&
            amounts[c] >= most) {
            mapping.amount = column;
            break;
        }
    }
    std::size_t longest = 0;
    for (std::size_t c = 0; c < widest; ++c) {
        const int column = static_cast<int>(c);
        if (column != mapping.date && column != mapping.amount && column != mapping.debit &&
            column != mapping.credit && column != mapping.id && length[c] > longest) {
            longest = length[c];
            mapping.description = column;
        }
    }
    return mapping;
}

CsvOptions RememberedOptions(const CsvSettings& remembered, const CsvOptions& given,
                             std::string_view bytes) {
    CsvOptions options = given;
    const bool ascii = std::all_of(bytes.begin(), bytes.end(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    options.encoding = given.encoding.value_or(ascii ? remembered.encoding : DetectEncoding(bytes));
    options.delimiter = given.delimiter.value_or(remembered.delimiter);
    options.decimal = given.decimal.value_or(remembered.decimal);
    options.dateForm = given.dateForm.value_or(remembered.dateForm);
    return options;
}

std::optional<CsvOptions> FitRemembered(std::string_view bytes, const CsvMemo& remembered,
                                        const CsvOptions& given) {
    CsvOptions options = RememberedOptions(remembered.settings, given, bytes);
    if (ReadCsv(bytes, remembered.mapping, options).read.Ok()) {
        return options;
    }
    return std::nullopt;
}

CsvStartPoint StartCsv(std::string_view bytes, const CsvMemo* remembered, const CsvOptions& given) {
    if (remembered != nullptr) {
        if (std::optional<CsvOptions> options = FitRemembered(bytes, *remembered, given)) {
            return {remembered->mapping, std::move(*options), CsvStart::Remembered};
        }
    }
    return {GuessCsvMapping(bytes, given), given,
            remembered != nullptr ? CsvStart::RememberedMisfit : CsvStart::Guessed};
}

} // namespace tamblero
