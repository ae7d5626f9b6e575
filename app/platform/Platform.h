// The one door from the core to the machine it runs on: message boxes, the
// calendar, date texts, the file system questions the core needs, the environment and
// the user database. The Qt
// program implements it for real; tests use a scripted one.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace tamblero {

enum class MsgButtons { Ok, YesNo, YesNoCancel };
enum class MsgIcon { None, Information, Question, Exclamation, Error };
enum class MsgResult { Ok, Yes, No, Cancel };
// The button of a Yes/No box that Enter presses: No where Yes would destroy something.
enum class MsgDefault { Yes, No };

// What a box nobody is there to answer comes to: it changes nothing.
constexpr MsgResult UnansweredResult(MsgButtons buttons) {
    switch (buttons) {
    case MsgButtons::Ok:
        return MsgResult::Ok;
    case MsgButtons::YesNoCancel:
        return MsgResult::Cancel;
    case MsgButtons::YesNo:
        break;
    }
    return MsgResult::No;
}

// A calendar date in the proleptic Gregorian calendar.
struct CalendarDate {
    int year = 1601;
    int month = 1;     // 1..12
    int day = 1;       // 1..31
    int dayOfWeek = 1; // 0 = Sunday .. 6 = Saturday; filled by DateFromDayNumber
    friend bool operator==(const CalendarDate& a, const CalendarDate& b) {
        return a.year == b.year && a.month == b.month && a.day == b.day;
    }
};

// What a helper program may take before it is killed.
struct HelperLimits {
    int timeoutMillis = 30'000;
    std::size_t maxOutputBytes = std::size_t{128} << 20;
};

// How a helper program run by IPlatform::RunHelper ended.
enum class HelperEnd { Exited, Crashed, TimedOut, TooMuchOutput, NotStarted };
struct HelperRun {
    HelperEnd end = HelperEnd::NotStarted;
    int exitCode = 0;   // Exited: its status; Crashed: the signal, where known (else 0)
    std::string output; // its standard output (Exited only)
    std::string why;    // NotStarted: the system's reason
};

class IPlatform {
public:
    virtual ~IPlatform() = default;

    // Shows a modal message box without owner window and answers the button pressed.
    virtual MsgResult MessageBox(const std::u16string& text, const std::u16string& caption,
                                 MsgButtons buttons, MsgIcon icon,
                                 MsgDefault defaultButton = MsgDefault::Yes) = 0;
    // Today's local date.
    [[nodiscard]] virtual CalendarDate Today() const = 0;
    // The date under a picture made of "d", "ddd", "MMM", "LLL", "yyyy" and blanks, in the
    // window's locale. "MMM" is the month's abbreviation as written after a day (in Russian the
    // genitive, "5 мая"), "LLL" the one that stands alone ("май 2026").
    [[nodiscard]] virtual std::u16string FormatDate(const CalendarDate& date,
                                                    const std::u16string& picture) const = 0;
    // Full path of the running executable.
    [[nodiscard]] virtual std::filesystem::path ExecutablePath() const = 0;
    [[nodiscard]] virtual bool FileExists(const std::filesystem::path& path) const = 0;
    // An environment variable's value; nullopt when it is not set.
    [[nodiscard]] virtual std::optional<std::string> Environment(const char* name) const = 0;
    // The home folder the user database gives the real user, as it stands there (maybe
    // empty); nullopt when the database has no entry for the user.
    [[nodiscard]] virtual std::optional<std::string> HomeFromUserDatabase() const = 0;
    // The wall's time in milliseconds since the Unix epoch, for the clock that stamps changes.
    [[nodiscard]] virtual std::int64_t NowMillis() const = 0;
    // This device's lasting id, made once per user and kept outside the data file, so that
    // the changes of each device of one ledger stay apart; 0 where none can be kept.
    [[nodiscard]] virtual std::uint64_t ThisDevice() = 0;
    // Runs a program of ours (its standard input empty, its error output dropped) and waits
    // for its end within the limits, killing it past them; its crash is its own, never the
    // caller's. A platform that runs no programs starts none.
    [[nodiscard]] virtual HelperRun RunHelper(const std::filesystem::path& program,
                                              const std::vector<std::string>& args,
                                              const HelperLimits& limits) {
        (void)program;
        (void)args;
        (void)limits;
        return HelperRun{HelperEnd::NotStarted, 0, {}, "this platform runs no programs"};
    }
};

} // namespace tamblero
