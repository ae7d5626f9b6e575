#include "app/cli/ConsolePlatform.h"

#include "app/core/EnglishDates.h"

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <pwd.h>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace tamblero::cli {

CConsolePlatform::CConsolePlatform(std::filesystem::path fallbackExecutable)
    : m_fallbackExecutable(std::move(fallbackExecutable)) {}

MsgResult CConsolePlatform::MessageBox(const std::u16string& /*text*/,
                                       const std::u16string& /*caption*/, MsgButtons buttons,
                                       MsgIcon /*icon*/, MsgDefault /*defaultButton*/) {
    return UnansweredResult(buttons);
}

CalendarDate CConsolePlatform::Today() const {
    if (m_pinnedToday) {
        return *m_pinnedToday;
    }
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_wday};
}

std::u16string CConsolePlatform::FormatDate(const CalendarDate& date,
                                            const std::u16string& picture) const {
    return FormatDateEnglish(date, picture);
}

std::filesystem::path CConsolePlatform::ExecutablePath() const {
    std::error_code ec;
    std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? m_fallbackExecutable : self;
}

bool CConsolePlatform::FileExists(const std::filesystem::path& path) const {
    std::error_code ec;
    return std::filesystem::exists(path, ec);
}

std::optional<std::string> CConsolePlatform::Environment(const char* name) const {
    const char* value = std::getenv(name);
    return value != nullptr ? std::optional<std::string>(value) : std::nullopt;
}

std::optional<std::string> CConsolePlatform::HomeFromUserDatabase() const {
    // The real user's entry, as desktop libraries ask it when HOME says nothing.
    const long hint = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(hint > 0 ? static_cast<std::size_t>(hint) : std::size_t{16384});
    passwd entry{};
    passwd* found = nullptr;
    int rc = 0;
    while ((rc = ::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found)) ==
               ERANGE &&
           buffer.size() < (std::size_t{1} << 20U)) {
        buffer.resize(buffer.size() * 2);
    }
    if (rc != 0 || found == nullptr) {
        return std::nullopt;
    }
    return std::string(found->pw_dir != nullptr ? found->pw_dir : "");
}

} // namespace tamblero::cli
