// A platform for tests: message boxes answered from a queue and recorded,
// a settable today, English date names and a chosen executable path.
#pragma once

#include "app/platform/ChildRun.h"
#include "app/platform/Platform.h"

#include <deque>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace tamblero::test {

struct RecordedMessage {
    std::u16string text;
    std::u16string caption;
    MsgButtons buttons;
    MsgIcon icon;
    MsgDefault defaultButton;
};

class CScriptedPlatform final : public IPlatform {
public:
    CScriptedPlatform();

    MsgResult MessageBox(const std::u16string& text, const std::u16string& caption,
                         MsgButtons buttons, MsgIcon icon,
                         MsgDefault defaultButton = MsgDefault::Yes) override;
    [[nodiscard]] CalendarDate Today() const override { return m_today; }
    [[nodiscard]] std::u16string FormatDate(const CalendarDate& date,
                                            const std::u16string& picture) const override;
    [[nodiscard]] std::filesystem::path ExecutablePath() const override { return m_executable; }
    [[nodiscard]] bool FileExists(const std::filesystem::path& path) const override;
    // Only what the test put in m_environment: no HOME by default.
    [[nodiscard]] std::optional<std::string> Environment(const char* name) const override;
    // m_userHome: no entry by default, so that without a named file nothing is chosen.
    [[nodiscard]] std::optional<std::string> HomeFromUserDatabase() const override {
        return m_userHome;
    }

    // The wall's time: m_nowMillis, which each call moves on by one, so that stamps differ as
    // real ones do.
    [[nodiscard]] std::int64_t NowMillis() const override { return m_nowMillis++; }
    [[nodiscard]] std::uint64_t ThisDevice() override { return m_device; }
    // Really runs it, as the command line does: the tests run the helpers and their stand-ins.
    [[nodiscard]] HelperRun RunHelper(const std::filesystem::path& program,
                                      const std::vector<std::string>& args,
                                      const HelperLimits& limits) override {
        return RunChild(program, args, limits);
    }

    void SetToday(int year, int month, int day) { m_today = {year, month, day, 0}; }
    // Answers for the coming message boxes, in order; when none is queued, Yes/No boxes
    // are answered No, Yes/No/Cancel boxes Cancel and OK boxes OK.
    void Answer(MsgResult result) { m_answers.push_back(result); }

    std::vector<RecordedMessage> m_messages;
    std::filesystem::path m_executable = "/nonexistent/tamblero";
    std::map<std::string, std::string> m_environment;
    std::optional<std::string> m_userHome;
    mutable std::int64_t m_nowMillis = 1'796'000'000'000; // December 2026
    std::uint64_t m_device = 0x5c41'b7e0'0000'0001ULL;

private:
    CalendarDate m_today;
    std::deque<MsgResult> m_answers;
};

// UTF-16 to UTF-8, for readable assertion messages.
std::string Utf8(const std::u16string& s);

} // namespace tamblero::test
