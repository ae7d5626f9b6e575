#include "tests/support/ScriptedPlatform.h"

#include "app/cli/EnglishDates.h"
#include "app/platform/Utf.h"

namespace tamblero::test {

CScriptedPlatform::CScriptedPlatform() {
    SetToday(2008, 9, 11);
}

MsgResult CScriptedPlatform::MessageBox(const std::u16string& text, const std::u16string& caption,
                                        MsgButtons buttons, MsgIcon icon,
                                        MsgDefault defaultButton) {
    m_messages.push_back({text, caption, buttons, icon, defaultButton});
    if (!m_answers.empty()) {
        const MsgResult r = m_answers.front();
        m_answers.pop_front();
        return r;
    }
    return UnansweredResult(buttons);
}

std::u16string CScriptedPlatform::FormatDate(const CalendarDate& date,
                                             const std::u16string& picture) const {
    return FormatDateEnglish(date, picture);
}

bool CScriptedPlatform::FileExists(const std::filesystem::path& path) const {
    std::error_code ec;
    return std::filesystem::exists(path, ec);
}

std::optional<std::string> CScriptedPlatform::Environment(const char* name) const {
    const auto found = m_environment.find(name);
    return found != m_environment.end() ? std::optional<std::string>(found->second) : std::nullopt;
}

std::string Utf8(const std::u16string& s) {
    return Utf8FromUtf16(s);
}

} // namespace tamblero::test
