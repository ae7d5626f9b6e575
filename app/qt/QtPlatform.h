// The machine as the Qt program sees it: message boxes with the emoticon
// captions, the local calendar, the user's locale and the executable's folder.
#pragma once

#include "app/platform/Platform.h"

#include <QLocale>

class QWidget;

namespace tamblero {

// The locale dates are written in, named as the C library picks it: LC_ALL, else LC_TIME,
// else LANG (an empty one counts as unset).
[[nodiscard]] QString TimeLocaleName();
// The locale the window writes dates in: the named one, but Russian, the window's own
// language, where the name gives no language (C, POSIX, nothing).
[[nodiscard]] QLocale WindowLocale(const QString& name);

class CQtPlatform final : public IPlatform {
public:
    // Dates in the given locale; by default the window's, from the environment.
    explicit CQtPlatform(QLocale locale = WindowLocale(TimeLocaleName()));

    // The locale of the dates this platform writes; Qt's own widgets should use it too.
    [[nodiscard]] const QLocale& Locale() const { return m_locale; }

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
    [[nodiscard]] std::int64_t NowMillis() const override;
    // Read or made in the state folder at the first call, then kept for the run.
    [[nodiscard]] std::uint64_t ThisDevice() override;
    // Through QProcess.
    [[nodiscard]] HelperRun RunHelper(const std::filesystem::path& program,
                                      const std::vector<std::string>& args,
                                      const HelperLimits& limits) override;

private:
    std::uint64_t m_nDevice = 0;
    QLocale m_locale;
};

} // namespace tamblero
