#include "app/cli/ConsolePlatform.h"

#include "app/core/MergedCopies.h"
#include "storage/DeviceFile.h"

#include "app/cli/EnglishDates.h"
#include "app/platform/ChildRun.h"
#include "app/platform/UserDatabase.h"
#include <chrono>

#include <cstdlib>
#include <ctime>
#include <system_error>

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

std::optional<std::vector<std::string>>
CConsolePlatform::FileNamesIn(const std::filesystem::path& folder, std::string& error) const {
    return RegularFileNamesIn(folder, error);
}

std::optional<std::string> CConsolePlatform::Environment(const char* name) const {
    const char* value = std::getenv(name);
    return value != nullptr ? std::optional<std::string>(value) : std::nullopt;
}

std::optional<std::string> CConsolePlatform::HomeFromUserDatabase() const {
    return UserDatabaseHome();
}

std::int64_t CConsolePlatform::NowMillis() const {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

std::uint64_t CConsolePlatform::ThisDevice() {
    if (m_nDevice == 0) {
        m_nDevice = LoadOrMakeDeviceId(*this);
    }
    return m_nDevice;
}

HelperRun CConsolePlatform::RunHelper(const std::filesystem::path& program,
                                      const std::vector<std::string>& args,
                                      const HelperLimits& limits) {
    return RunChild(program, args, limits);
}

} // namespace tamblero::cli
