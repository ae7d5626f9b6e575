#include "bench/BenchPlatform.h"

#include "period/DayNumber.h"

#include <array>
#include <ctime>
#include <system_error>

namespace tamblero::bench {

MsgResult CBenchPlatform::MessageBox(const std::u16string& /*text*/,
                                     const std::u16string& /*caption*/, MsgButtons buttons,
                                     MsgIcon /*icon*/) {
    return buttons == MsgButtons::YesNo ? MsgResult::No : MsgResult::Ok;
}

CalendarDate CBenchPlatform::Today() const {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_wday};
}

std::u16string CBenchPlatform::FormatDate(const CalendarDate& date,
                                          const std::u16string& picture) const {
    static constexpr std::array<const char16_t*, 7> kDays{u"Sun", u"Mon", u"Tue", u"Wed",
                                                          u"Thu", u"Fri", u"Sat"};
    static constexpr std::array<const char16_t*, 12> kMonths{u"Jan", u"Feb", u"Mar", u"Apr",
                                                             u"May", u"Jun", u"Jul", u"Aug",
                                                             u"Sep", u"Oct", u"Nov", u"Dec"};
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
            out += kDays[(DayNumberFromDate(date) + 1) % 7]; // day 0 is a Monday
        } else if (c == u'M' && run == 3 && date.month >= 1 && date.month <= 12) {
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

std::filesystem::path CBenchPlatform::ExecutablePath() const {
    std::error_code ec;
    return std::filesystem::read_symlink("/proc/self/exe", ec);
}

bool CBenchPlatform::FileExists(const std::filesystem::path& path) const {
    std::error_code ec;
    return std::filesystem::exists(path, ec);
}

} // namespace tamblero::bench
