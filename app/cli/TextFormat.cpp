#include "app/cli/TextFormat.h"

#include "app/core/CsvImport.h"
#include "app/platform/Utf.h"
#include "model/CategoryNode.h"

#include <cstdio>
#include <vector>

namespace tamblero::cli {

std::string NoteText(const CNoteTable& notes, NoteKey key) {
    return key == kNoNote ? std::string() : Utf8FromUtf16(std::u16string(notes.Text(key)));
}

std::string CsvField(std::string_view text) {
    if (text.find_first_of(",\"\r\n") == std::string_view::npos) {
        return std::string(text);
    }
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '"') {
            quoted += '"';
        }
        quoted += c;
    }
    quoted += '"';
    return quoted;
}

void WriteCsvRow(std::ostream& out, std::span<const std::string> fields) {
    std::string line;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) {
            line += ',';
        }
        line += CsvField(fields[i]);
    }
    line += '\n';
    out << line;
}

const std::string& CExportPaths::Of(const CExpenseArticle& article) {
    auto [path, made] = m_paths.try_emplace(&article);
    if (made) {
        std::vector<std::u16string> names;
        for (const CCategoryNode* n = &article; n->GetParent() != nullptr; n = n->GetParent()) {
            names.insert(names.begin(), n->GetName());
        }
        path->second = Utf8FromUtf16(JoinCategoryPath(names));
    }
    return path->second;
}

std::string IsoDate(DayNumber day) {
    const CalendarDate d = DateFromDayNumber(day);
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", d.year, d.month, d.day);
    return text;
}

std::optional<CalendarDate> ParseIsoDate(std::string_view text) {
    const std::optional<DayNumber> day = ParseIsoDay(text);
    return day ? std::optional<CalendarDate>(DateFromDayNumber(*day)) : std::nullopt;
}

std::size_t DisplayWidth(std::string_view utf8) {
    std::size_t width = 0;
    for (const char c : utf8) {
        if ((static_cast<unsigned char>(c) & 0xC0U) != 0x80U) {
            ++width;
        }
    }
    return width;
}

std::string TableText(const std::u16string& name) {
    std::u16string shown = name;
    for (char16_t& c : shown) {
        if (c < 0x20 || c == 0x7F) {
            c = 0xFFFD;
        }
    }
    return Utf8FromUtf16(shown);
}

} // namespace tamblero::cli
