#include "bankimport/CsvGuess.h"

#include <algorithm>
#include <optional>
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

bool IsAmount(std::u16string_view text, const CsvOptions& options) {
    for (const char16_t decimal : {u',', u'.'}) {
        if (options.decimal.value_or(decimal) == decimal && ParseHundredths(text, decimal)) {
            return true;
        }
    }
    return false;
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
            } else if (IsAmount(field, options)) {
                ++amounts[c];
            } else {
                length[c] += field.size();
            }
        }
    }
    const std::size_t most = (records.size() + 1) / 2; // the column names and totals aside
    for (std::size_t c = 0; c < widest; ++c) {
        const int column = static_cast<int>(c);
        if (mapping.date < 0 && days[c] >= most) {
            mapping.date = column;
        } else if (mapping.amount < 0 && amounts[c] >= most) {
            mapping.amount = column;
        }
    }
    std::size_t longest = 0;
    for (std::size_t c = 0; c < widest; ++c) {
        const int column = static_cast<int>(c);
        if (column != mapping.date && column != mapping.amount && length[c] > longest) {
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
