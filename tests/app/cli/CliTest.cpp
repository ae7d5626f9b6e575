// The parts of tamblero-cli: CSV quoting, day and argument checks, and that a failure is never
// reported as success.
#include "app/cli/Arguments.h"
#include "app/cli/Commands.h"
#include "app/cli/MergeCommand.h"
#include "app/cli/TextFormat.h"
#include "model/CategoryNode.h"
#include "storage/DataFile.h"
#include "tests/support/FileBytes.h"
#include "tests/support/Files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fcntl.h>
#include <sstream>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tamblero::cli {
namespace {

TEST(Csv, QuotesOnlyFieldsThatNeedIt) {
    EXPECT_EQ(CsvField(""), "");
    EXPECT_EQ(CsvField("Еда"), "Еда");
    EXPECT_EQ(CsvField("a b;c"), "a b;c");
    EXPECT_EQ(CsvField("a,b"), "\"a,b\"");
    EXPECT_EQ(CsvField("say \"hi\""), "\"say \"\"hi\"\"\"");
    EXPECT_EQ(CsvField("\""), "\"\"\"\"");
    EXPECT_EQ(CsvField("two\nlines"), "\"two\nlines\"");
    EXPECT_EQ(CsvField("cr\r"), "\"cr\r\"");

    std::ostringstream out;
    const std::string fields[] = {"1", "a,b", ""};
    WriteCsvRow(out, fields);
    EXPECT_EQ(out.str(), "1,\"a,b\",\n");
}

TEST(IsoDate, AcceptsOnlyRealDaysInRange) {
    const auto day = ParseIsoDate("2008-02-29");
    ASSERT_TRUE(day);
    EXPECT_EQ(IsoDate(DayNumberFromDate(*day)), "2008-02-29");
    EXPECT_TRUE(ParseIsoDate("1601-01-01"));
    EXPECT_TRUE(ParseIsoDate("9999-12-31"));
    for (const char* bad :
         {"2009-02-29", "2009-04-31", "2009-13-01", "2009-00-10", "2009-01-00", "1600-12-31",
          "2009-3-01", "2009-03-01x", "2009/03/01", "", "+009-03-01", "20090301"}) {
        EXPECT_FALSE(ParseIsoDate(bad)) << bad;
    }
    EXPECT_EQ(IsoDate(0), "1601-01-01");
    EXPECT_EQ(IsoDate(148907), "2008-09-11");
}

TEST(TableText, KeepsLinesWholeAndCountsCharacters) {
    EXPECT_EQ(TableText(u"a\nb\tc"), "a\uFFFDb\uFFFDc");
    EXPECT_EQ(TableText(u"x\xD800"), "x\uFFFD");
    EXPECT_EQ(DisplayWidth("Все расходы"), 11U);
    EXPECT_EQ(DisplayWidth("\uFFFD"), 1U);
}

ParsedArguments Parse(std::initializer_list<const char*> args) {
    const std::vector<std::string> list(args.begin(), args.end());
    return ParseArguments(list);
}

TEST(Arguments, DefaultsAndBothOptionForms) {
    // Each command's defaults; a value after "=" or as the next argument, the last of a
    // repeated option, and options on either side of the command all count.
    const ParsedArguments report = Parse({"report"});
    ASSERT_EQ(report.outcome, ParsedArguments::Outcome::Run);
    EXPECT_EQ(report.request.command, Command::Report);
    EXPECT_EQ(report.request.periodKind, periodWeek);
    EXPECT_EQ(report.request.format, Format::Text);
    EXPECT_FALSE(report.request.date);
    EXPECT_FALSE(report.request.file);

    const ParsedArguments exported = Parse({"export"});
    ASSERT_EQ(exported.outcome, ParsedArguments::Outcome::Run);
    EXPECT_EQ(exported.request.format, Format::Csv);

    const ParsedArguments full =
        Parse({"--file", "a b.dat", "--period=month", "report", "--period=year", "--date",
               "2009-03-01", "--format=csv", "--period", "all"});
    ASSERT_EQ(full.outcome, ParsedArguments::Outcome::Run) << full.error;
    EXPECT_EQ(full.request.periodKind, periodAll);
    EXPECT_EQ(full.request.format, Format::Csv);
    EXPECT_EQ(*full.request.file, "a b.dat");
    ASSERT_TRUE(full.request.date);
    EXPECT_EQ(*full.request.date, (CalendarDate{2009, 3, 1, 0}));

    // "--match=" is an empty text, which takes no further argument; a value is taken as written.
    const ParsedArguments match = Parse({"entries", "--match=", "--node", "[a,b]"});
    ASSERT_EQ(match.outcome, ParsedArguments::Outcome::Run) << match.error;
    EXPECT_EQ(match.request.match, "");
    EXPECT_EQ(match.request.node, "[a,b]");
    const ParsedArguments merge = Parse({"--dry-run", "merge", "--conflicts"});
    ASSERT_EQ(merge.outcome, ParsedArguments::Outcome::Run) << merge.error;
    EXPECT_TRUE(merge.request.dryRun && merge.request.conflicts);
    EXPECT_EQ(merge.request.input, "");
    const ParsedArguments other = Parse({"merge", "b.dat"});
    ASSERT_EQ(other.outcome, ParsedArguments::Outcome::Run) << other.error;
    EXPECT_FALSE(other.request.dryRun || other.request.conflicts);
    EXPECT_EQ(other.request.input, "b.dat");
    const ParsedArguments import = Parse({"import", "++", "--file", "--"});
    ASSERT_EQ(import.outcome, ParsedArguments::Outcome::Run) << import.error;
    EXPECT_EQ(import.request.input, "++");
    EXPECT_EQ(*import.request.file, "--");
}

TEST(Arguments, RefusesWhatItCannotMeanAndHelpWinsOverAll) {
    // Every refusal names the first thing wrong, in the order given, in the same words.
    struct Case {
        std::vector<const char*> args;
        const char* error;
    };
    const Case cases[] = {
        {{}, "no command given"},
        {{"reprot"}, "unknown command 'reprot'"},
        {{"frobnicate", "report"}, "unknown command 'frobnicate'"},
        {{"report", "export"}, "unexpected argument 'export'"},
        {{"report", "--period"}, "option '--period' needs a value"},
        {{"report", "--period", "day"}, "unknown period 'day': week, month, year or all"},
        {{"report", "--date", "yesterday"},
         "'yesterday' is not a day written YYYY-MM-DD from 1601 to 9999"},
        {{"report", "--format", "xml"}, "the report command has no format 'xml'"},
        {{"report", "--file="}, "'--file' needs a path"},
        {{"report", "-x"}, "unknown option '-x'"},
        {{"report", "--verbose"}, "unknown option '--verbose'"},
        {{"export", "--format", "text"}, "the export command has no format 'text'"},
        {{"export", "--period", "week"}, "the export command takes no '--period'"},
        {{"accounts", "--format", "csv"}, "the accounts command takes no '--format'"},
        {{"check", "--date", "2009-01-01"}, "the check command takes no '--date'"},
        {{"accounts", "--date", "x", "y"}, "unexpected argument 'y'"},
        {{"export", "--match", "x"}, "the export command takes no '--match'"},
        {{"entries", "--match", "x", "--period", "all"},
         "'--match' lists every day; it takes no --period, --date or --column"},
        {{"entries", "--column", "1", "--match="},
         "'--match' lists every day; it takes no --period, --date or --column"},
        {{"register"}, "the register command needs the account: --account NAME"},
        {{"import"}, "the import command needs the CSV file to read"},
        // What CLI11 would read as the end of the options or of a command, or as a number.
        {{"report", "--", "--period", "x"}, "unknown option '--'"},
        {{"report", "++"}, "unexpected argument '++'"},
        {{"import", "-5"}, "unknown option '-5'"},
        // merge takes one other copy or --conflicts, and its flags no value.
        {{"merge"}, "the merge command needs the other copy to merge, or --conflicts"},
        {{"merge", "a.dat", "--conflicts"},
         "the merge command takes OTHER.dat or --conflicts, not both"},
        {{"merge", "--dry-run=no", "a.dat"}, "'--dry-run' takes no value"},
        {{"report", "--conflicts"}, "the report command takes no '--conflicts'"},
    };
    for (const Case& c : cases) {
        const ParsedArguments parsed =
            ParseArguments(std::vector<std::string>(c.args.begin(), c.args.end()));
        EXPECT_EQ(parsed.outcome, ParsedArguments::Outcome::UsageError) << c.error;
        EXPECT_EQ(parsed.error, c.error);
    }
    EXPECT_EQ(Parse({"reprot", "--period", "day", "-h"}).outcome, ParsedArguments::Outcome::Help);
    EXPECT_EQ(Parse({"--help"}).outcome, ParsedArguments::Outcome::Help);
}

// A data file of its own per test, in a temporary folder removed afterwards.
class CTempDataFile final {
public:
    explicit CTempDataFile(const CExpenseGroup& root = CExpenseGroup(u"Root", nullptr)) {
        test::WriteBytes(m_path, WriteDataFile(CAccountList{}, root));
    }
    [[nodiscard]] const std::filesystem::path& Path() const { return m_path; }

private:
    test::CTempDir m_dir;
    std::filesystem::path m_path = m_dir.Path() / "QZData.dat";
};

TEST(Execute, FailedOutputOrMissingFileIsNeverSuccess) {
    const CTempDataFile file;
    CConsolePlatform platform;
    Request request;
    request.command = Command::Accounts;
    request.file = file.Path();

    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(Execute(request, platform, out, err), kExitSuccess);
    EXPECT_EQ(out.str(), "index,name,balance\n");
    EXPECT_EQ(err.str(), "");

    std::ostringstream broken;
    broken.setstate(std::ios::badbit);
    EXPECT_EQ(Execute(request, platform, broken, err), kExitUnreadable);
    EXPECT_NE(err.str().find("cannot write"), std::string::npos);

    request.file = file.Path().string() + ".missing";
    std::ostringstream none;
    err.str("");
    EXPECT_EQ(Execute(request, platform, none, err), kExitUnreadable);
    EXPECT_EQ(none.str(), "");
    EXPECT_NE(err.str().find(".missing"), std::string::npos);
}

TEST(Execute, CheckListsTheCopiesBesideTheFileALinkLeadsTo) {
    // The copies are looked for where the sync service keeps them: by the real file's name, in
    // its folder, and only among files.
    const CTempDataFile file;
    const std::filesystem::path synced = file.Path().parent_path();
    test::WriteText(synced / "QZData.sync-conflict-20261209-112018-E6MJUWF.dat", "");
    std::filesystem::create_directory(synced / "QZData (conflicted copy 2026-12-09 112018).dat");
    const test::CTempDir elsewhere;
    std::filesystem::create_symlink(file.Path(), elsewhere.Path() / "budget.dat");
    test::WriteText(elsewhere.Path() / "budget.sync-conflict-20261209-112018-E6MJUWF.dat", "");
    CConsolePlatform platform;
    Request request;
    request.command = Command::Check;
    request.file = elsewhere.Path() / "budget.dat";
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(Execute(request, platform, out, err), kExitSuccess) << err.str();
    const std::string said = out.str();
    EXPECT_NE(said.find("\nconflict copy: QZData.sync-conflict-20261209-112018-E6MJUWF.dat "
                        "(Syncthing)\nnote: "),
              std::string::npos)
        << said;
    EXPECT_EQ(said.find("conflict copy: budget"), std::string::npos) << said;
}

// An import of the CSV text into the data file, its exit status and its standard error.
struct ImportRun {
    int status = -1;
    std::string out;
    std::string err;
};

ImportRun RunImport(const test::CTempDir& dir, const std::string& csv,
                    const std::function<void()>& beforeSave = {}) {
    const std::filesystem::path input = dir.Path() / "in.csv";
    test::WriteText(input, csv);
    CConsolePlatform platform;
    Request request;
    request.command = Command::Import;
    request.file = dir.Path() / "QZData.dat";
    request.input = input;
    std::ostringstream out;
    std::ostringstream err;
    ImportRun run;
    run.status = Execute(request, platform, out, err, beforeSave);
    run.out = out.str();
    run.err = err.str();
    return run;
}

// The files in the folder but for the lock and the CSV file.
std::size_t FilesBeside(const test::CTempDir& dir) {
    std::size_t n = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path())) {
        const std::string name = entry.path().filename().string();
        n += name.ends_with(".lock") || name == "in.csv" ? 0U : 1U;
    }
    return n;
}

TEST(Import, AFileAnotherProgramChangedSinceTheReadIsLeftAsItIs) {
    // However another program changed the data file between the read and the save, the
    // import refuses with the reason and leaves that program's version alone, with no backup.
    namespace fs = std::filesystem;
    const std::vector<std::uint8_t> outside{1, 2, 3};
    const auto replace = [&](const fs::path& p) {
        test::WriteBytes(p.string() + "~", outside);
        fs::rename(p.string() + "~", p);
    };
    const auto rewrite = [&](const fs::path& p) { test::WriteBytes(p, outside); };
    struct Case {
        const char* what;
        bool existed;
        std::function<void(const fs::path&)> change;
    };
    const Case cases[] = {{"replaced", true, replace},
                          {"rewritten in place", true, rewrite},
                          {"made where none was", false, rewrite}};
    for (const Case& c : cases) {
        const test::CTempDir dir;
        const fs::path data = dir.Path() / "QZData.dat";
        if (c.existed) {
            test::WriteBytes(data, WriteDataFile(CAccountList{}, CExpenseGroup(u"Root", nullptr)));
        }
        const ImportRun run = RunImport(dir, "date,category,amount,account\n2009-01-01,a,1,\n",
                                        [&] { c.change(data); });
        EXPECT_EQ(run.status, kExitUnreadable) << c.what;
        EXPECT_NE(run.err.find("another program changed the data file"), std::string::npos)
            << c.what << ": " << run.err;
        EXPECT_EQ(run.out, "") << c.what;
        EXPECT_EQ(test::ReadBytes(data), outside) << c.what;
        EXPECT_EQ(FilesBeside(dir), 1U) << c.what; // no backup, no temporary file
    }
}

TEST(Import, EveryRefusalOfAnOverfullOldFileNamesItsCause) {
    // A version-1 file with 300 accounts: an account it can name is charged and all 300 are
    // kept; one past the 255th, or a new one, is refused for that reason.
    struct Case {
        const char* account;
        int status;
        const char* said; // in the standard error, or the summary on success
    };
    const Case cases[] = {
        {"acc10", kExitSuccess, "new accounts: 0"},
        {"acc299", kExitUnreadable, "'acc299' is number 300 of the data file's accounts"},
        {"new", kExitUnreadable, "already holds 300 accounts, more than the 255"},
    };
    for (const Case& c : cases) {
        const test::CTempDir dir;
        test::CFileBytes f;
        f.U32(1).Str(u"Root").I32(0).I32(1);
        f.Str(u"Rent").I32(1).U32(DayNumberFromDate(2007, 6, 1)).I32(1).U16(11).I32(20);
        f.I32(300);
        for (int i = 0; i < 300; ++i) {
            const std::string name = "acc" + std::to_string(i);
            f.U16(static_cast<std::uint16_t>(i + 1))
                .Str(std::u16string(name.begin(), name.end()))
                .I32(100);
        }
        test::WriteBytes(dir.Path() / "QZData.dat", f.Bytes());
        const ImportRun run = RunImport(dir, "date,category,amount,account\n2009-01-01,Rent,5," +
                                                 std::string(c.account) + "\n");
        EXPECT_EQ(run.status, c.status) << c.account << ": " << run.err;
        EXPECT_NE((c.status == kExitSuccess ? run.out : run.err).find(c.said), std::string::npos)
            << c.account << ": " << run.out << run.err;
        if (c.status == kExitSuccess) {
            const ReadResult read = ReadDataFile(test::ReadBytes(dir.Path() / "QZData.dat"), {});
            ASSERT_TRUE(read.data);
            ASSERT_EQ(read.data->accounts.size(), 300U);
            EXPECT_EQ(read.data->accounts[10]->Balance(), 95);
        }
    }
}

TEST(Import, ACsvPastItsLimitIsRefusedNamingTheLimit) {
    // A CSV file larger than an import reads is refused unread, saying the CSV's own limit.
    const test::CTempDir dir;
    const std::filesystem::path big = dir.Path() / "big.csv";
    const int fd = ::open(big.c_str(), O_WRONLY | O_CREAT, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, off_t{3} << 30U), 0); // sparse
    ::close(fd);
    CConsolePlatform platform;
    Request request;
    request.command = Command::Import;
    request.file = dir.Path() / "QZData.dat";
    request.input = big;
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(Execute(request, platform, out, err), kExitUnreadable);
    EXPECT_NE(err.str().find("larger than 2147483648 bytes (2 GiB), the most an import reads"),
              std::string::npos)
        << err.str();
}

TEST(KeepMergedCopy, NeverReplacesAKeptFileOfTheSameName) {
    // A name already kept takes the first free number before its extension; the kept files
    // stay as they were, and the moved one leaves its folder.
    struct Case {
        const char* name;
        const char* second;
        const char* third;
    };
    const Case cases[] = {
        {"QZData.sync-conflict-20261209-112018-E6MJUWF.dat",
         "QZData.sync-conflict-20261209-112018-E6MJUWF (2).dat",
         "QZData.sync-conflict-20261209-112018-E6MJUWF (3).dat"},
        {"my.budget (conflicted copy).dat", "my.budget (conflicted copy) (2).dat",
         "my.budget (conflicted copy) (3).dat"},
        {"QZData (conflicted copy)", "QZData (conflicted copy) (2)",
         "QZData (conflicted copy) (3)"},
    };
    for (const Case& c : cases) {
        const test::CTempDir synced;
        const test::CTempDir kept;
        std::vector<std::filesystem::path> got;
        for (const char* content : {"1", "2", "3"}) {
            test::WriteText(synced.Path() / c.name, content);
            std::string error;
            const auto to = KeepMergedCopy(synced.Path() / c.name, kept.Path(), error);
            ASSERT_TRUE(to) << c.name << ": " << error;
            EXPECT_FALSE(std::filesystem::exists(synced.Path() / c.name)) << c.name;
            got.push_back(to->filename());
        }
        EXPECT_EQ(got, (std::vector<std::filesystem::path>{c.name, c.second, c.third}));
        EXPECT_EQ(test::ReadText(kept.Path() / c.name), "1") << c.name;
        EXPECT_EQ(test::ReadText(kept.Path() / c.third), "3") << c.name;
    }
}

// What the real tool cost in a child process: peak resident kilobytes and CPU seconds.
struct ChildCost {
    bool succeeded = false;
    long peakKb = 0;
    double seconds = 0;
};

ChildCost RunTool(std::vector<std::string> args) {
    args.insert(args.begin(), TAMBLERO_CLI);
    std::vector<char*> argv;
    for (std::string& arg : args) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    const pid_t pid = ::fork();
    if (pid == 0) {
        // A tool gone wild fails the test instead of taking the machine.
        constexpr rlim_t kTwoGiB = rlim_t{2} << 30U;
        const rlimit memory{kTwoGiB, kTwoGiB};
        const rlimit cpu{30, 30};
        ::setrlimit(RLIMIT_AS, &memory);
        ::setrlimit(RLIMIT_CPU, &cpu);
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, STDOUT_FILENO);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    ChildCost cost;
    int status = 0;
    rusage usage{};
    if (pid < 0 || ::wait4(pid, &status, 0, &usage) != pid) {
        return cost;
    }
    cost.succeeded = WIFEXITED(status) && WEXITSTATUS(status) == kExitSuccess;
    cost.peakKb = usage.ru_maxrss;
    cost.seconds = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                   static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    return cost;
}

// A small file whose all time spans 8,399 years over 20,000 empty articles reports in
// bounded memory and time: the cost follows the data, not the nodes times the columns.
TEST(Execute, AllTimeOfAWideSparseFileStaysSmall) {
#if defined(TAMBLERO_SANITIZED)
    GTEST_SKIP() << "under the sanitizers the figures would be theirs";
#endif
    CExpenseGroup root(u"Root", nullptr);
    CExpenseArticle* spent = root.AddArticle(u"spent");
    spent->Days().GetOrCreate(0).Add(nullptr, 1);
    spent->Days().GetOrCreate(kLastValidDay).Add(nullptr, 2);
    for (int i = 0; i < 20000; ++i) {
        root.AddArticle(u"empty");
    }
    const CTempDataFile file(root);
    for (const char* format : {"text", "csv"}) {
        const ChildCost cost = RunTool(
            {"report", "--file", file.Path().string(), "--period", "all", "--format", format});
        EXPECT_TRUE(cost.succeeded) << format;
        EXPECT_LT(cost.peakKb, 300L * 1024) << format;
        EXPECT_LT(cost.seconds, 3.0) << format;
    }
}

TEST(Execute, PipesAndDevicesExitOneWithAReasonAtOnce) {
    // No special file hangs the tool or ends it by an abort: it exits 1 and says why.
    ::alarm(20);
    const test::CTempDir dir;
    const std::filesystem::path fifo = dir.Path() / "QZData.dat";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    CConsolePlatform platform;
    Request request;
    request.command = Command::Check;
    for (const std::filesystem::path& file : {fifo, std::filesystem::path("/dev/zero")}) {
        request.file = file;
        std::ostringstream out;
        std::ostringstream err;
        EXPECT_EQ(Execute(request, platform, out, err), kExitUnreadable) << file;
        EXPECT_NE(err.str().find("not a regular file"), std::string::npos) << err.str();
    }
    ::alarm(0);
}

// A user with neither HOME nor an entry in the user database is asked for --file: nothing is
// made beside the executable, where every later run of every user would find it.
TEST(Execute, WithoutAnyHomeAsksForTheDataFile) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "only root can become a user the database does not know";
    }
    constexpr uid_t kUnknownUser = 54321;
    const test::CTempDir dir;
    const std::filesystem::path app = dir.Path() / "app";
    std::filesystem::create_directory(app);
    std::filesystem::copy_file(TAMBLERO_CLI, app / "tamblero-cli");
    test::WriteText(app / "one.csv", "date,category,amount,account\n2009-03-02,Food,12,\n");
    for (const std::filesystem::path& folder : {dir.Path(), app}) {
        std::filesystem::permissions(folder, std::filesystem::perms::all);
    }
    const std::filesystem::path said = dir.Path() / "stderr";
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::unsetenv("HOME");
        ::unsetenv("XDG_DATA_HOME");
        const int err = ::open(said.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
        if (err < 0 || ::dup2(err, STDERR_FILENO) < 0 || ::setgid(kUnknownUser) != 0 ||
            ::setuid(kUnknownUser) != 0) {
            ::_exit(100);
        }
        const std::string cli = (app / "tamblero-cli").string();
        const std::string csv = (app / "one.csv").string();
        ::execl(cli.c_str(), cli.c_str(), "import", csv.c_str(), nullptr);
        ::_exit(127);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), kExitUsage);
    EXPECT_NE(test::ReadText(said).find("--file PATH"), std::string::npos) << test::ReadText(said);
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(app)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"one.csv", "tamblero-cli"}));
}

} // namespace
} // namespace tamblero::cli
