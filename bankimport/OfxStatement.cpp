#include "bankimport/OfxStatement.h"

#include "app/platform/Utf.h"

#include <charconv>
#include <string>
#include <unordered_map>
#include <vector>

namespace tamblero {

namespace {

std::u16string Ascii(std::string_view text) {
    return std::u16string(text.begin(), text.end());
}

StatementRead Refused(StringId text, std::size_t line = 0, std::u16string element = {}) {
    StatementRead read;
    read.error = StatementError{text, line, std::move(element)};
    return read;
}

std::vector<std::string_view> Split(std::string_view line, char by) {
    std::vector<std::string_view> parts;
    for (std::size_t at = line.find(by); at != std::string_view::npos; at = line.find(by)) {
        parts.push_back(line.substr(0, at));
        line.remove_prefix(at + 1);
    }
    parts.push_back(line);
    return parts;
}

// The line of each FITID's element in the statement, from 1 (the first where one repeats).
std::unordered_map<std::string_view, std::size_t> FitIdLines(std::string_view text) {
    std::unordered_map<std::string_view, std::size_t> lines;
    constexpr std::string_view kTag = "<FITID>";
    std::size_t line = 1;
    std::size_t counted = 0;
    for (std::size_t at = text.find(kTag); at != std::string_view::npos;
         at = text.find(kTag, at + kTag.size())) {
        for (; counted < at; ++counted) {
            line += text[counted] == '\n' ? 1U : 0U;
        }
        const std::size_t begin = at + kTag.size();
        const std::size_t end = text.find_first_of("<\r\n", begin);
        std::string_view id = text.substr(begin, end == std::string_view::npos ? end : end - begin);
        while (!id.empty() && (id.back() == ' ' || id.back() == '\t')) {
            id.remove_suffix(1);
        }
        lines.emplace(id, line);
    }
    return lines;
}

} // namespace

std::filesystem::path OfxHelperPath(const IPlatform& platform) {
    return platform.ExecutablePath().parent_path() / kOfxHelperName;
}

StatementRead ReadOfxHelperRun(const HelperRun& run, std::string_view text) {
    switch (run.end) {
    case HelperEnd::NotStarted:
        return Refused(IDS_OFX_NOT_STARTED, 0, Utf16FromUtf8(run.why));
    case HelperEnd::Crashed:
        return Refused(IDS_OFX_CRASHED);
    case HelperEnd::TimedOut:
        return Refused(IDS_OFX_TIMED_OUT);
    case HelperEnd::TooMuchOutput:
        return Refused(IDS_OFX_TOO_MUCH);
    case HelperEnd::Exited:
        break;
    }
    const TextEncoding encoding = DetectEncoding(run.output);
    const std::unordered_map<std::string_view, std::size_t> lines = FitIdLines(text);
    StatementRead read;
    bool ended = false;
    std::string_view rest = run.output;
    while (!rest.empty() && !ended) {
        const std::size_t end = rest.find('\n');
        const std::string_view line = rest.substr(0, end);
        rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
        const std::vector<std::string_view> fields = Split(line, '\t');
        if (fields[0] == "E" && fields.size() == 3) {
            std::size_t at = 0;
            std::from_chars(fields[1].data(), fields[1].data() + fields[1].size(), at);
            return Refused(at > 0 ? IDS_OFX_REFUSED_AT : IDS_OFX_REFUSED, at,
                           DecodeText(fields[2], encoding));
        }
        if (fields[0] == "END" && fields.size() == 2) {
            ended = true;
            continue;
        }
        if (fields.size() != 6 || fields[0] != "T") {
            return Refused(IDS_OFX_BAD_OUTPUT, 0, DecodeText(line.substr(0, 80), encoding));
        }
        StatementRow row;
        const auto found = lines.find(fields[3]);
        row.line = found != lines.end() && !fields[3].empty() ? found->second : 0;
        // A day libofx took from a date past any calendar ("99999999") names its operation.
        const std::optional<DayNumber> day =
            ParseDate(Ascii(fields[1]), DateForm::YearMonthDayDashes);
        if (!day) {
            return Refused(IDS_STATEMENT_BAD_DATE, row.line, Ascii(fields[1]));
        }
        const auto [past, ec] =
            std::from_chars(fields[2].data(), fields[2].data() + fields[2].size(), row.hundredths);
        if (ec != std::errc() || past != fields[2].data() + fields[2].size()) {
            return Refused(IDS_OFX_BAD_OUTPUT, 0, DecodeText(line.substr(0, 80), encoding));
        }
        row.day = *day;
        row.bankId = DecodeText(fields[3], encoding);
        row.description = DecodeText(fields[4], encoding);
        const std::u16string memo = DecodeText(fields[5], encoding);
        if (!memo.empty() && memo != row.description) {
            row.description += row.description.empty() ? memo : u" " + memo;
        }
        if (!RoundToWhole(row.hundredths)) {
            return Refused(IDS_STATEMENT_AMOUNT_RANGE, row.line, HundredthsText(row.hundredths));
        }
        if (read.rows.size() == kMaxStatementRows) {
            return Refused(IDS_STATEMENT_TOO_MANY_ROWS, row.line);
        }
        read.rows.push_back(std::move(row));
    }
    // Without its last line the helper's output was cut short: nothing of it is trusted.
    if (!ended || run.exitCode != 0) {
        return Refused(IDS_OFX_BAD_OUTPUT, 0,
                       u"exit status " + Ascii(std::to_string(run.exitCode)));
    }
    if (read.rows.empty()) {
        return Refused(IDS_STATEMENT_EMPTY);
    }
    read.encoding = encoding;
    return read;
}

std::optional<StatementRead> OfxHelperMissing(const IPlatform& platform,
                                              const std::filesystem::path& helper) {
    if (platform.FileExists(helper)) {
        return std::nullopt;
    }
    return Refused(IDS_OFX_NO_HELPER, 0, Utf16FromUtf8(helper.string()));
}

StatementRead ReadOfx(IPlatform& platform, const std::filesystem::path& helper,
                      const std::filesystem::path& statement, std::string_view text,
                      const HelperLimits& limits) {
    if (std::optional<StatementRead> missing = OfxHelperMissing(platform, helper)) {
        return std::move(*missing);
    }
    return ReadOfxHelperRun(platform.RunHelper(helper, {statement.string()}, limits), text);
}

} // namespace tamblero
