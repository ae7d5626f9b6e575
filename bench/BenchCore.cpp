// Times the core on one data file and prints one line per figure: its absolute time
// and its ratio to the physical limit of the same work (a plain read, a plain write,
// one pass over every amount). Every time is the best of several runs.
#include "GiveChanges.h"
#include "GiveMovements.h"
#include "GiveNotes.h"
#include "GiveStatement.h"
#include "app/cli/ConsolePlatform.h"
#include "app/cli/Journal.h"
#include "app/cli/Listings.h"
#include "app/core/CsvImport.h"
#include "app/core/MainFrameCore.h"
#include "app/core/Schedules.h"
#include "bankimport/StatementImport.h"
#include "merge/Merge.h"
#include "model/CategoryNode.h"
#include "model/ModelHost.h"
#include "period/Period.h"
#include "schedule/ScheduleChanges.h"
#include "statement/QifStatement.h"
#include "storage/Archive.h"
#include "storage/FileIO.h"
#include "storage/IdentitySection.h"
#include "storage/VerdalonDoc.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <malloc.h>
#include <memory>
#include <ostream>
#include <random>
#include <sstream>
#include <streambuf>
#include <string>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

using namespace tamblero;
using Clock = std::chrono::steady_clock;

volatile std::uint32_t g_sink = 0; // keeps measured results alive

double Millis(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

// Best of reps runs; setup runs before each, untimed.
double BestOf(int reps, const std::function<void()>& run, const std::function<void()>& setup = {}) {
    double best = 1e300;
    for (int i = 0; i < reps; ++i) {
        if (setup) {
            setup();
        }
        const auto start = Clock::now();
        run();
        best = std::min(best, Millis(Clock::now() - start));
    }
    return best;
}

long MinorFaults() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_minflt;
}

std::size_t ResidentBytes() {
    long pages = 0;
    long resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) {
            resident = 0;
        }
        std::fclose(f);
    }
    return static_cast<std::size_t>(resident) * static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
}

// The physical limit of loading: the file's bytes from the page cache into memory fresh
// from the system, as a starting program has it.
std::size_t RawRead(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return 0;
    }
    struct stat st {};
    ::fstat(fd, &st);
    const auto size = static_cast<std::size_t>(st.st_size);
    void* memory =
        ::mmap(nullptr, size + 1, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (memory == MAP_FAILED) {
        ::close(fd);
        return 0;
    }
    auto* buffer = static_cast<std::uint8_t*>(memory);
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::read(fd, buffer + done, size - done);
        if (n <= 0) {
            break;
        }
        done += static_cast<std::size_t>(n);
    }
    ::close(fd);
    g_sink = g_sink + buffer[size / 2];
    ::munmap(memory, size + 1);
    return done;
}

// The physical limit of saving: the same number of bytes written to a file.
void RawWrite(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        return;
    }
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n <= 0) {
            break;
        }
        done += static_cast<std::size_t>(n);
    }
    ::close(fd);
}

void CollectAmounts(const CExpenseGroup& group, std::vector<Amount>& out, std::size_t& buckets) {
    group.ForEachArticleBelow([&](const CExpenseArticle& article) {
        const CDayMap& days = article.Days();
        buckets += days.size();
        for (const auto& [day, list] : days) {
            for (const CExpenseEntry& entry : list.Entries()) {
                out.push_back(entry.m_nAmount);
            }
        }
    });
}

// What the grid reads on a repaint: every node's every column.
std::uint32_t ReadAllTotals(CCategoryNode& node, int columns) {
    std::uint32_t sum = 0;
    for (int i = 0; i < columns; ++i) {
        sum += static_cast<std::uint32_t>(node.GetColumnTotal(i));
    }
    if (const CExpenseGroup* group = node.AsGroup()) {
        group->ForEachChild([&](CCategoryNode& child) { sum += ReadAllTotals(child, columns); });
    }
    return sum;
}

// Counts what is written and keeps none of it, so that two writers are timed on their
// formatting alone.
class CDiscard final : public std::streambuf {
public:
    std::size_t m_count = 0;

protected:
    std::streamsize xsputn(const char* /*s*/, std::streamsize n) override {
        m_count += static_cast<std::size_t>(n);
        return n;
    }
    int_type overflow(int_type c) override {
        ++m_count;
        return c;
    }
};

void Line(const char* figure, double ms, const char* limit, double limitMs) {
    std::printf("%-30s %10.3f ms   %-26s %9.3f ms   ratio %7.2f\n", figure, ms, limit, limitMs,
                limitMs > 0 ? ms / limitMs : 0.0);
}

// The load the window makes at start.
bool LoadInto(CVerdalonDoc& doc, const std::string& path) {
    Reason error;
    if (doc.LoadFile(path, error) != FileLoad::Loaded) {
        std::fprintf(stderr, "bench_core: %s: %s\n", path.c_str(), error.english.c_str());
        return false;
    }
    return true;
}

// What loading the file costs in resident memory, measured at the start of a process of its
// own: "resident-bytes entries note-units".
int MemoryOf(const char* path) {
    cli::CConsolePlatform platform;
    const std::size_t before = ResidentBytes();
    CVerdalonDoc doc(platform);
    if (!LoadInto(doc, path)) {
        return 1;
    }
    const std::size_t after = ResidentBytes();
    std::vector<Amount> amounts;
    std::size_t buckets = 0;
    CollectAmounts(*doc.GetRoot(), amounts, buckets);
    std::size_t units = 0;
    for (NoteKey key = 1; key <= doc.Notes().Count(); ++key) {
        units += doc.Notes().Text(key).size();
    }
    std::printf("%zu %zu %zu\n", after - std::min(after, before), amounts.size(), units);
    return 0;
}

// Resident bytes per entry of loading the file in a fresh process, the notes' text left out.
double MemoryPerEntry(const char* self, const std::string& path) {
    const std::string command = std::string("'") + self + "' --memory-of '" + path + "'";
    FILE* child = ::popen(command.c_str(), "r");
    std::size_t resident = 0;
    std::size_t entries = 0;
    std::size_t units = 0;
    const bool read =
        child != nullptr && std::fscanf(child, "%zu %zu %zu", &resident, &entries, &units) == 3;
    if (child != nullptr) {
        ::pclose(child);
    }
    const std::size_t text = units * sizeof(char16_t);
    return read && entries > 0 ? static_cast<double>(resident - std::min(resident, text)) /
                                     static_cast<double>(entries)
                               : -1;
}

// Two copies of the document recorded on one device, each then changed 10,000 times on a
// device of its own, merged, against loading one copy: the work a merge cannot do without.
int MeasureMerge(cli::CConsolePlatform& platform, const std::string& path, int reps) {
    constexpr int kChanges = 10000;
    const auto laptop = DeviceId{0x1aa0'0000'0000'0001ULL};
    const auto phone = DeviceId{0x2bb0'0000'0000'0002ULL};
    const std::string idsPath = path + ".bench-ids";
    {
        CVerdalonDoc recorded(platform);
        if (!LoadInto(recorded, path)) {
            return 1;
        }
        bench::GiveRecordedIds(recorded, laptop);
        RawWrite(idsPath, recorded.Store());
    }
    CVerdalonDoc theirs(platform);
    if (!LoadInto(theirs, idsPath)) {
        return 1;
    }
    bench::MakeChanges(theirs, phone, 2, kChanges);
    std::unique_ptr<CVerdalonDoc> ours;
    MergeReport report;
    bool merged = true;
    const double merge = BestOf(
        reps,
        [&] {
            MergeRefusal refusal;
            report = {};
            merged = MergeInto(*ours, theirs, report, refusal) && merged;
        },
        [&] {
            ours = std::make_unique<CVerdalonDoc>(platform);
            LoadInto(*ours, idsPath);
            bench::MakeChanges(*ours, laptop, 1, kChanges);
        });
    const double load = BestOf(reps, [&] {
        ours = std::make_unique<CVerdalonDoc>(platform);
        LoadInto(*ours, idsPath);
    });
    ours.reset();
    std::error_code ec;
    std::filesystem::remove(idsPath, ec);
    if (!merged) {
        std::fprintf(stderr, "bench_core: the merge was refused\n");
        return 1;
    }
    char label[64];
    std::snprintf(label, sizeof label, "merge, %d changes each side", kChanges);
    Line(label, merge, "load one copy", load);
    std::printf("  %d new expenses, %d gone, %d fields changed, %zu conflicts\n",
                report.newExpenses, report.goneExpenses, report.changedFields,
                report.conflicts.size());
    return 0;
}

// The load of each file against the first's, each into fresh memory, best of reps taken in
// turns so that a busy machine slows all alike: the cost of what one file holds beyond
// another, such as the identities.
int CompareLoads(const std::vector<std::string>& paths, int reps) {
    cli::CConsolePlatform platform;
    std::vector<double> best(paths.size(), 1e300);
    for (int r = 0; r < reps; ++r) {
        for (std::size_t i = 0; i < paths.size(); ++i) {
            auto doc = std::make_unique<CVerdalonDoc>(platform);
            const auto start = Clock::now();
            if (!LoadInto(*doc, paths[i])) {
                return 1;
            }
            best[i] = std::min(best[i], Millis(Clock::now() - start));
            doc.reset();
            malloc_trim(0);
        }
    }
    for (std::size_t i = 0; i < paths.size(); ++i) {
        std::printf("load %-40s %12ju bytes %10.3f ms   ratio %5.2f\n", paths[i].c_str(),
                    static_cast<std::uintmax_t>(std::filesystem::file_size(paths[i])), best[i],
                    best[i] / best[0]);
    }
    return 0;
}

} // namespace

// A bank's statement of 10,000 operations read, given its articles by 200 rules and its
// duplicates marked against every expense of the document paid from its busiest account:
// what the import's preview does before it paints. Nothing is recorded.
double MeasureStatement(CVerdalonDoc& doc, int reps) {
    CAccountList& accounts = doc.Accounts();
    if (accounts.GetCount() == 0) {
        return 0;
    }
    std::vector<std::size_t> paid(static_cast<std::size_t>(accounts.GetCount()));
    doc.GetRoot()->ForEachArticleBelow([&](const CExpenseArticle& article) {
        for (const auto& [day, list] : article.Days()) {
            for (const CExpenseEntry& entry : list.Entries()) {
                if (entry.m_pAccount != nullptr) {
                    ++paid[accounts.IndexOf(entry.m_pAccount)];
                }
            }
        }
    });
    const auto busiest =
        static_cast<int>(std::max_element(paid.begin(), paid.end()) - paid.begin());
    CAccount& account = *accounts.GetAt(busiest);
    CRuleList& rules = doc.StatementMemory().Rules();
    const std::string qif = bench::StatementOf10000(doc, rules);
    std::size_t kept = 0;
    const double took = BestOf(reps, [&] {
        StatementRead read = ReadQif(qif);
        const ImportPlan plan = PlanImport(doc, account, std::move(read.rows));
        kept += plan.CheckedCount();
    });
    g_sink = g_sink + static_cast<std::uint32_t>(kept);
    rules = CRuleList();
    return took;
}

// What the due list adds to start-up: the file with 1,000 schedules, each monthly for two years
// with every occurrence but the last recorded, loaded against the same file without them, and
// the due list of them all.
int BenchSchedules(const std::string& path, int reps) {
    cli::CConsolePlatform platform;
    CVerdalonDoc doc(platform);
    if (!LoadInto(doc, path)) {
        return 1;
    }
    std::vector<ItemId> articles;
    doc.GetRoot()->ForEachArticleBelow(
        [&](const CExpenseArticle& article) { articles.push_back(article.m_nId); });
    const DayNumber today = Today(platform);
    constexpr int kSchedules = 1000;
    constexpr std::uint32_t kRecorded = 24;
    for (int i = 0; i < kSchedules; ++i) {
        const ItemId id = AddSchedule(
            doc, {articles[static_cast<std::size_t>(i) % articles.size()], 100 + i, kNoId, {}},
            {today - 740 + static_cast<DayNumber>(i % 28), Repeat::Months, 1,
             static_cast<WeekendRule>(i % 3)},
            static_cast<ScheduleMode>(i % 2));
        for (std::uint32_t k = 0; k < kRecorded; ++k) {
            MarkOccurrence(doc.Schedules(), doc.Ids(), id, k, OccurrenceState::Recorded);
        }
    }
    const std::string withPath = path + ".bench-schedules";
    RawWrite(withPath, doc.Store());
    std::size_t due = 0;
    const double list = BestOf(reps, [&] { due = DueOccurrences(doc, today).size(); });
    // The section alone, from memory returned to the system first as at start-up: read, its
    // ids made the document's, and the schedules freed.
    const std::vector<std::uint8_t> section = WriteScheduleSection(doc.Schedules(), doc.Ids());
    const double read = BestOf(
        reps,
        [&] {
            CArchiveReader ar(section);
            ScheduleRead got = ReadScheduleSection(ar);
            const CScheduleBook book = ApplyScheduleSection(got, doc.Ids());
        },
        [] { malloc_trim(0); });
    std::printf("file with %d schedules: %zu bytes more, %zu occurrences due\n", kSchedules,
                static_cast<std::size_t>(std::filesystem::file_size(withPath) -
                                         std::filesystem::file_size(path)),
                due);
    double without = 1e300;
    double with = 1e300;
    // In pairs, the order turning each time, so that the machine's moods fall on both alike;
    // of a busy machine's loads the best differ by more than the schedules cost, so the
    // figure is the middle of the pairs' differences.
    std::vector<double> added;
    for (int r = 0; r < reps; ++r) {
        double took[2] = {};
        for (const int i : {r % 2, 1 - r % 2}) {
            auto loaded = std::make_unique<CVerdalonDoc>(platform);
            const auto start = Clock::now();
            LoadInto(*loaded, i == 1 ? withPath : path);
            took[i] = Millis(Clock::now() - start);
            loaded.reset();
            malloc_trim(0);
        }
        without = std::min(without, took[0]);
        with = std::min(with, took[1]);
        added.push_back(took[1] - took[0]);
    }
    std::sort(added.begin(), added.end());
    const double middle = added[added.size() / 2];
    Line("due list, 1,000 schedules", list, "a 5 ms budget", 5.0);
    Line("their section read alone", read, "a 5 ms budget", 5.0);
    Line("load with 1,000 schedules", with, "load without them", without);
    Line("  what they add to the load", middle, "a 5 ms budget", 5.0);
    Line("  at start-up, with the due list", middle + list, "a 5 ms budget", 5.0);
    std::filesystem::remove(withPath);
    return 0;
}

int main(int argc, char** argv) {
    if (argc >= 3 && std::string(argv[1]) == "--schedules") {
        // bench_core --schedules FILE [REPETITIONS]
        return BenchSchedules(argv[2], argc > 3 ? std::max(1, std::atoi(argv[3])) : 61);
    }
    if (argc >= 4 && std::string(argv[1]) == "--compare-loads") {
        // bench_core --compare-loads REPETITIONS FILE...
        return CompareLoads({argv + 3, argv + argc}, std::max(1, std::atoi(argv[2])));
    }
    if (argc == 3 && std::string(argv[1]) == "--memory-of") {
        return MemoryOf(argv[2]);
    }
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_core DATAFILE [REPETITIONS]\n");
        return 2;
    }
    const std::string path = argv[1];
    const int reps = argc > 2 ? std::max(1, std::atoi(argv[2])) : 9;
    cli::CConsolePlatform platform;

    // Memory first, before other runs leave freed memory in the heap.
    const std::size_t residentBefore = ResidentBytes();
    auto doc = std::make_unique<CVerdalonDoc>(platform);
    if (!LoadInto(*doc, path)) {
        return 1;
    }
    const std::size_t residentAfter = ResidentBytes();

    std::vector<Amount> amounts;
    std::size_t buckets = 0;
    CollectAmounts(*doc->GetRoot(), amounts, buckets);
    const std::size_t entries = amounts.size();
    const std::size_t fileSize = std::filesystem::file_size(path);
    std::printf("file %s: %zu bytes, %zu entries, %zu day buckets; best of %d runs\n", path.c_str(),
                fileSize, entries, buckets, reps);

    // Load against the raw read, both into fresh memory.
    const double raw =
        BestOf(reps, [&] { g_sink = g_sink + static_cast<std::uint32_t>(RawRead(path)); });
    std::unique_ptr<CVerdalonDoc> loaded;
    // Best of reps loads of a file, each into fresh memory.
    const auto loadFresh = [&](const std::string& file) {
        const double best = BestOf(
            reps,
            [&] {
                loaded = std::make_unique<CVerdalonDoc>(platform);
                LoadInto(*loaded, file);
            },
            [&] {
                // Memory back to the system, so the load starts from fresh memory as at
                // start-up.
                loaded.reset();
                malloc_trim(0);
            });
        loaded.reset();
        malloc_trim(0);
        return best;
    };
    const double load = loadFresh(path);
    Line("load (fresh memory)", load, "raw read (fresh memory)", raw);
    // Fresh memory costs a page fault per page touched, which a virtual machine can make
    // the larger part of both times: the counts show how the ratio comes about.
    loaded.reset();
    malloc_trim(0);
    long faults = MinorFaults();
    RawRead(path);
    const long rawFaults = MinorFaults() - faults;
    faults = MinorFaults();
    loaded = std::make_unique<CVerdalonDoc>(platform);
    LoadInto(*loaded, path);
    const long loadFaults = MinorFaults() - faults;
    loaded.reset();
    malloc_trim(0);
    std::printf("%-30s %10ld      %-26s %9ld      ratio %7.2f\n", "  page faults of the load",
                loadFaults, "of the raw read", rawFaults,
                rawFaults > 0 ? static_cast<double>(loadFaults) / static_cast<double>(rawFaults)
                              : 0.0);

    std::string error;
    // The same document with a note on every fifth entry, loaded against the load above.
    const std::string notedPath = path + ".bench-notes";
    bench::GivenNotes given;
    {
        CVerdalonDoc noted(platform);
        LoadInto(noted, path);
        given = bench::GiveNotes(noted);
        RawWrite(notedPath, noted.Store());
    }
    malloc_trim(0);
    const double loadNoted = loadFresh(notedPath);
    char notedLabel[64];
    std::snprintf(notedLabel, sizeof notedLabel, "load, %zu notes", given.notes);
    Line(notedLabel, loadNoted, "load without notes", load);
    const double rawNoted =
        BestOf(reps, [&] { g_sink = g_sink + static_cast<std::uint32_t>(RawRead(notedPath)); });
    Line("  raw read of it (fresh)", rawNoted, "raw read without notes", raw);
    // The shell popen starts would be /proc/self/exe itself.
    const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
    const double plainMemory = MemoryPerEntry(self.c_str(), path);
    const double notedMemory = MemoryPerEntry(self.c_str(), notedPath);
    std::printf("%-30s %10.1f B    %-26s %9.1f B   (text: %.1f B per entry)\n",
                "memory per entry, notes", notedMemory, "the same without notes", plainMemory,
                entries > 0 ? 2.0 * static_cast<double>(given.units) / static_cast<double>(entries)
                            : 0.0);

    // The same document with deposits and transfers over its days, loaded against the load
    // without them.
    const std::string movedPath = path + ".bench-movements";
    std::size_t movementCount = 0;
    {
        CVerdalonDoc moved(platform);
        LoadInto(moved, path);
        DayNumber first = kLastValidDay;
        DayNumber last = 0;
        moved.GetRoot()->ForEachArticleBelow([&](const CExpenseArticle& article) {
            if (!article.Days().empty()) {
                first = std::min(first, article.Days().begin()->first);
                last = std::max(last, std::prev(article.Days().end())->first);
            }
        });
        std::vector<CMovement> movements =
            bench::MakeMovements(moved.Accounts(), first, last, 10000);
        movementCount = movements.size();
        moved.Movements().Append(std::move(movements));
        RawWrite(movedPath, moved.Store());
    }
    malloc_trim(0);
    // The load without them again, beside it: on a busy machine the first one is too far off.
    const double loadUnmoved = loadFresh(path);
    const double loadMoved = loadFresh(movedPath);
    char movedLabel[64];
    std::snprintf(movedLabel, sizeof movedLabel, "load, %zu movements", movementCount);
    Line(movedLabel, loadMoved, "load without movements", loadUnmoved);
    std::error_code movedGone;
    std::filesystem::remove(movedPath, movedGone);

    // The parser alone: bytes already in memory, a heap that has the memory at hand,
    // against reading the bytes into a buffer that is already there.
    std::vector<std::uint8_t> bytes;
    ReadWholeFile(path, bytes, error);
    std::vector<std::uint8_t> buffer(bytes.size());
    const double rawWarm = BestOf(reps, [&] {
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        std::size_t done = 0;
        for (ssize_t n = 1; fd >= 0 && n > 0 && done < buffer.size();
             done += static_cast<std::size_t>(n)) {
            n = ::read(fd, buffer.data() + done, buffer.size() - done);
            if (n < 0) {
                break;
            }
        }
        ::close(fd);
        g_sink = g_sink + buffer[done / 2];
    });
    const double parse = BestOf(
        reps,
        [&] {
            loaded = std::make_unique<CVerdalonDoc>(platform);
            loaded->Load(bytes, error);
        },
        [&] { loaded.reset(); });
    loaded.reset();
    Line("parse only (warm memory)", parse, "raw read (warm memory)", rawWarm);
    std::vector<std::uint8_t> notedBytes;
    ReadWholeFile(notedPath, notedBytes, error);
    const double parseNoted = BestOf(
        reps,
        [&] {
            loaded = std::make_unique<CVerdalonDoc>(platform);
            loaded->Load(notedBytes, error);
        },
        [&] { loaded.reset(); });
    loaded.reset();
    notedBytes = {};
    Line("parse only, notes (warm)", parseNoted, "parse only (warm memory)", parse);
    std::error_code removed;
    std::filesystem::remove(notedPath, removed);

    // Save against the raw write, both without fsync.
    const std::string savePath = path + ".bench-save";
    const std::string rawPath = path + ".bench-raw";
    doc->m_bSyncOnSave = false;
    const std::vector<std::uint8_t> stored = doc->Store();
    const double rawWrite = BestOf(reps, [&] { RawWrite(rawPath, stored); });
    const double save = BestOf(reps, [&] { doc->DoSave(savePath); });
    Line("save", save, "raw write", rawWrite);
    std::error_code ec;
    std::filesystem::remove(savePath, ec);
    std::filesystem::remove(savePath + ".bak", ec);
    std::filesystem::remove(rawPath, ec);

    // The journal against the CSV export of the same document, both written nowhere.
    const double csvExport = BestOf(reps, [&] {
        CDiscard sink;
        std::ostream out(&sink);
        cli::WriteExport(out, *doc->GetRoot(), doc->Notes(), doc->Ids());
        g_sink = g_sink + static_cast<std::uint32_t>(sink.m_count);
    });
    const double journal = BestOf(reps, [&] {
        CDiscard sink;
        std::ostream out(&sink);
        cli::WriteJournal(out, *doc->GetRoot(), doc->Accounts(), doc->Notes());
        g_sink = g_sink + static_cast<std::uint32_t>(sink.m_count);
    });
    Line("export journal (ledger)", journal, "export CSV", csvExport);

    // Importing the CSV export into an empty document against reading the same bytes into
    // fields, dates and amounts without recording anything.
    std::ostringstream csvText;
    cli::WriteExport(csvText, *doc->GetRoot(), doc->Notes(), doc->Ids());
    const std::string csv = csvText.str();
    const double parseCsv = BestOf(reps, [&] {
        CCsvReader reader(csv);
        std::uint32_t sum = 0;
        reader.Next(); // the header
        while (reader.Next() == CCsvReader::Status::Record) {
            const auto fields = reader.Fields();
            sum += ParseIsoDay(fields[0]).value_or(0) +
                   static_cast<std::uint32_t>(ParseAmount(fields[2]).value_or(0)) +
                   static_cast<std::uint32_t>(fields[1].size() + fields[3].size());
        }
        g_sink = g_sink + sum;
    });
    std::unique_ptr<CVerdalonDoc> imported;
    const double import = BestOf(
        reps,
        [&] {
            imported = std::make_unique<CVerdalonDoc>(platform);
            imported->OnNewDocument(path + ".bench-absent");
            CsvImportError refusal;
            const auto prepared = CCsvImport::Prepare(csv, *imported, refusal);
            if (!prepared || !prepared->Apply(*imported, refusal)) {
                std::fprintf(stderr, "bench_core: the export was refused at line %d\n",
                             refusal.line);
                std::exit(1);
            }
        },
        [&] { imported.reset(); });
    imported.reset();
    char importLabel[64];
    std::snprintf(importLabel, sizeof importLabel, "import CSV (%zu rows)", entries);
    Line(importLabel, import, "parse the same CSV", parseCsv);

    // Totals against one pass over every amount.
    const int totalsReps = reps * 3;
    const double onePass = BestOf(totalsReps, [&] {
        Amount sum = 0;
        for (const Amount a : amounts) {
            sum = WrapAdd(sum, a);
        }
        g_sink = g_sink + static_cast<std::uint32_t>(sum);
    });
    CExpenseGroup& root = *doc->GetRoot();
    const DaySpan span = doc->GetDaySpan();
    CPeriod allTime;
    allTime.Set(periodAll, span.last, span, platform);
    CPeriod year;
    const CalendarDate middle = DateFromDayNumber(span.first + (span.last - span.first) / 2);
    year.Set(periodYear, DayNumberFromDate(middle.year, 6, 15), span, platform);
    const auto totals = [&](const CPeriod& period) {
        root.InvalidateTotals(true);
        root.RecalcTotals(period);
        g_sink = g_sink + static_cast<std::uint32_t>(root.CachedTotal(0));
    };
    const double totalsAll = BestOf(totalsReps, [&] { totals(allTime); });
    Amount check = 0;
    for (int i = 0; i < allTime.GetCount(); ++i) {
        check = WrapAdd(check, root.CachedTotal(i));
    }
    Amount expected = 0;
    for (const Amount a : amounts) {
        expected = WrapAdd(expected, a);
    }
    if (check != expected) {
        std::fprintf(stderr, "bench_core: all-time totals %d differ from the sum %d\n", check,
                     expected);
        return 1;
    }
    char label[64];
    std::snprintf(label, sizeof label, "totals all time (%d cols)", allTime.GetCount());
    Line(label, totalsAll, "one pass over amounts", onePass);
    const double totalsYear = BestOf(totalsReps, [&] { totals(year); });
    Line("totals one year (12 cols)", totalsYear, "one pass over amounts", onePass);

    // A period step in the core: the frame steps a year back and the grid reads every
    // node's every column. The window adds its painting to this.
    CMainFrameCore frame(platform);
    frame.SetDocument(doc.get());
    frame.m_nPeriodKind = periodYear;
    frame.m_nAnchorDay = span.last;
    frame.RefreshPeriod();
    const double step = BestOf(totalsReps, [&] {
        if (frame.m_nAnchorDay <= span.first + 366) {
            frame.m_nAnchorDay = span.last;
        }
        frame.OnPeriodPrev();
        g_sink = g_sink + ReadAllTotals(root, frame.m_period.GetCount());
    });
    Line("step year back, all totals", step, "one pass over amounts", onePass);
    Line("statement of 10,000, planned", MeasureStatement(*doc, reps), "the bar of a second", 1000);

    const double perEntry =
        entries > 0 ? static_cast<double>(residentAfter - std::min(residentAfter, residentBefore)) /
                          static_cast<double>(entries)
                    : 0.0;
    std::printf("%-30s %10.1f B    %-26s %9.1f B\n", "memory per entry (resident)", perEntry,
                "file bytes per entry",
                entries > 0 ? static_cast<double>(fileSize) / static_cast<double>(entries) : 0.0);
    // The copies the merge is timed on are no documents of the frame's.
    g_pMainFrame = nullptr;
    doc.reset();
    malloc_trim(0);
    return MeasureMerge(platform, path, reps);
}
