// A platform for the benchmark tools: no display, every question answered No,
// English date names and today from the clock.
#pragma once

#include "app/core/Platform.h"

namespace tamblero::bench {

class CBenchPlatform final : public IPlatform {
public:
    MsgResult MessageBox(const std::u16string& text, const std::u16string& caption,
                         MsgButtons buttons, MsgIcon icon) override;
    [[nodiscard]] CalendarDate Today() const override;
    [[nodiscard]] std::u16string FormatDate(const CalendarDate& date,
                                            const std::u16string& picture) const override;
    [[nodiscard]] std::filesystem::path ExecutablePath() const override;
    [[nodiscard]] bool FileExists(const std::filesystem::path& path) const override;
};

} // namespace tamblero::bench
