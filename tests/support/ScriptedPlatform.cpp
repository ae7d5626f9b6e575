#include "tests/support/ScriptedPlatform.h"

#include "app/core/Utf.h"

#include <array>

namespace tamblero::test {

CScriptedPlatform::CScriptedPlatform() { SetToday(2008, 9, 11); }

MsgResult CScriptedPlatform::MessageBox(const std::u16string& text, const std::u16string& caption,
                                        MsgButtons buttons, MsgIcon icon) {
    m_messages.push_back({text, caption, buttons, icon});
    if (!m_answers.empty()) {
        const MsgResult r = m_answers.front();
        m_answers.pop_front();
        return r;
    }
    return buttons == MsgButtons::YesNo ? MsgResult::No : MsgResult::Ok;
}

std::u16string CScriptedPlatform::FormatDate(const CalendarDate& date,
                                             const std::u16string& picture) const {
    static constexpr std::array<const char16_t*, 7> kDays{u"Sun", u"Mon", u"Tue", u"Wed",
                                                          u"Thu", u"Fri", u"Sat"};
    static constexpr std::array<const char16_t*, 12> kMonths{
        u"Jan", u"Feb", u"Mar", u"Apr", u"May", u"Jun",
        u"Jul", u"Aug", u"Sep", u"Oct", u"Nov", u"Dec"};
    const auto number = [](int n) {
        const std::string s = std::to_string(n);
        return std::u16string(s.begin(), s.end());
    };
    std::u16string out;
    std::size_t i = 0;
    while (i < picture.size()) {
        const char16_t c = picture[i];
        std::size_t run = 1;
        while (i + run < picture.size() && picture[i + run] == c) {
            ++run;
        }
        if (c == u'd' && run == 1) {
            out += number(date.day);
        } else if (c == u'd' && run == 3) {
            // The weekday of the date itself, not of a field the caller may have left unset.
            const int y = date.month <= 2 ? date.year - 1 : date.year;
            static constexpr std::array<int, 12> t{0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
            const int dow = (y + y / 4 - y / 100 + y / 400 + t[static_cast<std::size_t>(date.month - 1)] + date.day) % 7;
            out += kDays[static_cast<std::size_t>(dow)];
        } else if (c == u'M' && run == 3) {
            out += kMonths[static_cast<std::size_t>(date.month - 1)];
        } else if (c == u'y' && run == 4) {
            out += number(date.year);
        } else {
            out.append(run, c);
        }
        i += run;
    }
    return out;
}

bool CScriptedPlatform::FileExists(const std::filesystem::path& path) const {
    std::error_code ec;
    return std::filesystem::exists(path, ec);
}

std::string Utf8(const std::u16string& s) { return Utf8FromUtf16(s); }

} // namespace tamblero::test
