// The machine as the Qt program sees it: message boxes with the emoticon
// captions, the local calendar, the user's locale and the executable's folder.
#pragma once

#include "app/core/Platform.h"

class QWidget;

namespace tamblero {

class CQtPlatform final : public IPlatform {
public:
    CQtPlatform() = default;

    MsgResult MessageBox(const std::u16string& text, const std::u16string& caption,
                         MsgButtons buttons, MsgIcon icon,
                         MsgDefault defaultButton = MsgDefault::Yes) override;
    [[nodiscard]] CalendarDate Today() const override;
    [[nodiscard]] std::u16string FormatDate(const CalendarDate& date,
                                            const std::u16string& picture) const override;
    [[nodiscard]] std::filesystem::path ExecutablePath() const override;
    [[nodiscard]] bool FileExists(const std::filesystem::path& path) const override;
    [[nodiscard]] std::optional<std::string> Environment(const char* name) const override;
    [[nodiscard]] std::optional<std::string> HomeFromUserDatabase() const override;
};

} // namespace tamblero
