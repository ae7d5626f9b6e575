// The platform of the command-line tool: no display, no questions, English date
// names, and a today that a command may pin to a chosen day.
#pragma once

#include "app/platform/Platform.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace tamblero::cli {

class CConsolePlatform final : public IPlatform {
public:
    // fallbackExecutable serves when the running executable cannot be asked for its path.
    explicit CConsolePlatform(std::filesystem::path fallbackExecutable = {});

    // Never shown: a question is answered No, a notice OK, so nothing is ever agreed to.
    MsgResult MessageBox(const std::u16string& text, const std::u16string& caption,
                         MsgButtons buttons, MsgIcon icon,
                         MsgDefault defaultButton = MsgDefault::Yes) override;
    // The pinned day when there is one, else the local date.
    [[nodiscard]] CalendarDate Today() const override;
    [[nodiscard]] std::u16string FormatDate(const CalendarDate& date,
                                            const std::u16string& picture) const override;
    [[nodiscard]] std::filesystem::path ExecutablePath() const override;
    [[nodiscard]] bool FileExists(const std::filesystem::path& path) const override;
    [[nodiscard]] std::optional<std::string> Environment(const char* name) const override;
    [[nodiscard]] std::optional<std::string> HomeFromUserDatabase() const override;
    [[nodiscard]] std::int64_t NowMillis() const override;
    // Read or made in the state folder at the first call, then kept for the run.
    [[nodiscard]] std::uint64_t ThisDevice() override;
    // Through posix_spawn, the command line's helpers beside it.
    [[nodiscard]] HelperRun RunHelper(const std::filesystem::path& program,
                                      const std::vector<std::string>& args,
                                      const HelperLimits& limits) override;

    // The names of the regular files in a folder (links followed), without the folder; nullopt,
    // with the system's reason in error, when it cannot be listed. Only the command line lists
    // a folder, so IPlatform does not.
    [[nodiscard]] std::optional<std::vector<std::string>>
    FileNamesIn(const std::filesystem::path& folder, std::string& error) const;

    // Makes the program behave as if run on that day, so reports can be reproduced.
    void PinToday(const CalendarDate& day) { m_pinnedToday = day; }

private:
    std::uint64_t m_nDevice = 0;
    std::filesystem::path m_fallbackExecutable;
    std::optional<CalendarDate> m_pinnedToday;
};

} // namespace tamblero::cli
