// Times the merge of two copies of one ledger of a million expenses, each changed apart by
// ten thousand changes: the command line's and the window's merge of a synced data file.
#include "app/core/DocumentChanges.h"
#include "merge/Merge.h"
#include "model/CategoryNode.h"
#include "storage/VerdalonDoc.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <random>

namespace {

using namespace tamblero;
using Clock = std::chrono::steady_clock;

// A device of its own, a wall that moves, and no questions.
class CBenchPlatform final : public IPlatform {
public:
    explicit CBenchPlatform(std::uint64_t device) : m_device(device) {}
    MsgResult MessageBox(const std::u16string&, const std::u16string&, MsgButtons buttons, MsgIcon,
                         MsgDefault) override {
        return buttons == MsgButtons::Ok ? MsgResult::Ok : MsgResult::No;
    }
    [[nodiscard]] CalendarDate Today() const override { return {2026, 12, 9, 0}; }
    [[nodiscard]] std::u16string FormatDate(const CalendarDate&,
                                            const std::u16string&) const override {
        return {};
    }
    [[nodiscard]] std::filesystem::path ExecutablePath() const override { return {}; }
    [[nodiscard]] bool FileExists(const std::filesystem::path&) const override { return false; }
    [[nodiscard]] std::optional<std::string> Environment(const char*) const override {
        return std::nullopt;
    }
    [[nodiscard]] std::optional<std::string> HomeFromUserDatabase() const override {
        return std::nullopt;
    }
    [[nodiscard]] std::int64_t NowMillis() const override { return m_now++; }
    [[nodiscard]] std::uint64_t ThisDevice() override { return m_device; }

private:
    std::uint64_t m_device;
    mutable std::int64_t m_now = 1'796'000'000'000;
};

double Millis(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Ten thousand changes: new expenses, notes given and amounts corrected.
void Change(CVerdalonDoc& doc, std::mt19937& random,
            const std::vector<CExpenseArticle*>& articles) {
    for (int i = 0; i < 10'000; ++i) {
        CExpenseArticle& article = *articles[random() % articles.size()];
        const DayNumber day = 146000 + static_cast<DayNumber>(random() % 3650);
        if (i % 2 == 0 || article.FindDay(day) == nullptr ||
            article.FindDay(day)->GetCount() == 0) {
            AddExpense(doc, article, {day, static_cast<Amount>(random() % 1000), 0, u""});
        } else {
            SetNote(doc, article, day, article.FindDay(day)->GetAt(0), u"заметка", 0);
        }
    }
}

} // namespace

int main(int argc, char** argv) {
    const int entries = argc > 1 ? std::atoi(argv[1]) : 1'000'000;
    CBenchPlatform basePlatform(0xBA5E'0000'0000'0001ULL);
    CVerdalonDoc base(basePlatform);
    base.OnNewDocument("/nonexistent/QZData.dat");
    std::vector<CExpenseArticle*> articles;
    for (int g = 0; g < 20; ++g) {
        CExpenseGroup* group = base.GetRoot()->AddGroup(
            u"Группа " + std::u16string(1, static_cast<char16_t>(u'A' + g)));
        for (int a = 0; a < 10; ++a) {
            articles.push_back(
                group->AddArticle(u"Статья " + std::u16string(1, static_cast<char16_t>(u'a' + a))));
        }
    }
    CAccount* account = base.Accounts().CreateAccount();
    std::mt19937 random(1);
    for (int i = 0; i < entries; ++i) {
        articles[random() % articles.size()]->AddEntry(
            146000 + static_cast<DayNumber>(random() % 3650), static_cast<Amount>(random() % 1000),
            account, kNoNote, base.Ids().NewId());
    }
    base.CompleteIds();

    CBenchPlatform platformA(0xAAAA'0000'0000'0001ULL);
    CBenchPlatform platformB(0xBBBB'0000'0000'0001ULL);
    CVerdalonDoc a(platformA);
    CVerdalonDoc b(platformB);
    a.OnNewDocument("/nonexistent/QZData.dat");
    b.OnNewDocument("/nonexistent/QZData.dat");
    MergeReport report;
    MergeRefusal refusal;
    auto start = Clock::now();
    if (!MergeInto(a, base, report, refusal)) {
        std::fprintf(stderr, "%s\n", refusal.english.c_str());
        return 1;
    }
    std::printf("copy of %d expenses into an empty ledger: %.0f ms\n", entries, Millis(start));
    (void)MergeInto(b, base, report, refusal);
    const auto articlesOf = [](CVerdalonDoc& doc) {
        std::vector<CExpenseArticle*> out;
        doc.GetRoot()->ForEachArticleBelow(
            [&](CExpenseArticle& article) { out.push_back(&article); });
        return out;
    };
    Change(a, random, articlesOf(a));
    Change(b, random, articlesOf(b));
    start = Clock::now();
    const std::clock_t cpu = std::clock();
    if (!MergeInto(a, b, report, refusal)) {
        std::fprintf(stderr, "%s\n", refusal.english.c_str());
        return 1;
    }
    const double wall = Millis(start);
    std::printf("merge of two copies, 10,000 changes each: %.0f ms, %.0f ms of CPU (%d new "
                "expenses, %d fields)\n",
                wall, 1000.0 * static_cast<double>(std::clock() - cpu) / CLOCKS_PER_SEC,
                report.newExpenses, report.changedFields);
    return 0;
}
