#include "app/cli/EnglishDates.h"

#include "period/DayNumber.h"

#include <array>

namespace tamblero {

std::u16string FormatDateEnglish(const CalendarDate& date, const std::u16string& picture) {
    static constexpr std::array<const char16_t*, 7> kWeekdays{u"Sun", u"Mon", u"Tue", u"Wed",
                                                              u"Thu", u"Fri", u"Sat"};
    static constexpr std::array<const char16_t*, 12> kMonths{u"Jan", u"Feb", u"Mar", u"Apr",
                                                             u"May", u"Jun", u"Jul", u"Aug",
                                                             u"Sep", u"Oct", u"Nov", u"Dec"};
    const auto decimal = [](int n) {
        const std::string digits = std::to_string(n);
        return std::u16string(digits.begin(), digits.end());
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
            out += decimal(date.day);
        } else if (c == u'd' && run == 3) {
            // From the date itself: a caller may leave dayOfWeek unset. Day 0 is a Monday.
            out += kWeekdays[(DayNumberFromDate(date) + 1) % 7];
        } else if ((c == u'M' || c == u'L') && run == 3 && date.month >= 1 && date.month <= 12) {
            out += kMonths[static_cast<std::size_t>(date.month - 1)];
        } else if (c == u'y' && run == 4) {
            out += decimal(date.year);
        } else {
            out.append(run, c);
        }
        i += run;
    }
    return out;
}

} // namespace tamblero
