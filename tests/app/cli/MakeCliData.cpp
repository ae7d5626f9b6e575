// Writes the data files the golden cases of tamblero-cli read: make_cli_data OUTDIR.
#include "app/core/DocumentChanges.h"
#include "app/core/Schedules.h"
#include "model/Account.h"
#include "model/CategoryNode.h"
#include "period/DayNumber.h"
#include "storage/DataFile.h"
#include "storage/VerdalonDoc.h"
#include "tests/support/FileBytes.h"
#include "tests/support/ScriptedPlatform.h"

#include <cstdio>
#include <filesystem>
#include <memory>
#include <vector>

namespace {

using namespace tamblero;

void Save(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
    if (!test::WriteBytes(path, bytes)) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        std::exit(1);
    }
}

CAccount* NewAccount(CAccountList& accounts, const std::u16string& name, Amount balance) {
    CAccount* account = accounts.CreateAccount(&name);
    account->AdjustBalance(balance);
    return account;
}

CExpenseGroup* Group(CExpenseGroup& parent, const std::u16string& name) {
    parent.AppendLoaded(std::make_unique<CExpenseGroup>(name, &parent));
    return parent.Groups().back().get();
}

CExpenseArticle* Article(CExpenseGroup& parent, const std::u16string& name) {
    parent.AppendLoaded(std::make_unique<CExpenseArticle>(name, &parent));
    return parent.Articles().back().get();
}

void Spend(CExpenseArticle& article, int y, int m, int d, Amount amount, CAccount* account) {
    article.Days().GetOrCreate(DayNumberFromDate(y, m, d)).Add(account, amount);
}

// March 2009 runs in the month view from Monday 23 February to Sunday 5 April, so
// spending on those edge days counts there; 6 April does not.
std::vector<std::uint8_t> Basic() {
    CAccountList accounts;
    CAccount* cash = NewAccount(accounts, u"Наличные", 500);
    CAccount* card = NewAccount(accounts, u"Card, \"Visa\"", -30);
    CAccount* savings = NewAccount(accounts, u"Savings", 1000);

    CExpenseGroup root(u"Все расходы", nullptr);
    CExpenseGroup* food = Group(root, u"Food, \"fresh\"");
    CExpenseGroup* snacks = Group(*food, u"Snacks");
    Spend(*Article(*snacks, u"Chips"), 2009, 3, 5, 7, cash);
    CExpenseArticle* bread = Article(*food, u"Bread");
    Spend(*bread, 2009, 2, 23, 10, cash);
    Spend(*bread, 2009, 3, 1, 20, nullptr);
    Spend(*bread, 2009, 3, 1, 5, card);
    bread->Days().GetOrCreate(DayNumberFromDate(2009, 3, 10)); // emptied by an undo
    CExpenseArticle* milk = Article(*food, u"Milk \"2%\"");
    Spend(*milk, 2009, 4, 5, 3, card);
    Spend(*milk, 2009, 4, 6, 4, card);

    CExpenseGroup* transport = Group(root, u"Transport");
    CExpenseArticle* fuel = Article(*transport, u"Fuel");
    Spend(*fuel, 2008, 12, 31, 50, cash);
    Spend(*fuel, 2009, 3, 16, 40, savings);
    Spend(*Article(*transport, u"Ticket\nrefund"), 2009, 3, 17, -2, nullptr);
    Group(root, u"Empty");

    const std::u16string gift = u"Gift \xD800!";
    Spend(*Article(root, gift), 2009, 3, 20, 15, cash);
    return WriteDataFile(accounts, root);
}

// Names a journal reserves characters of: separators, double blanks, leading semicolons, a
// tab, a trailing blank, an article named as a sibling group, accounts called "Unknown",
// Unicode blanks beside blanks, at the ends and before " (2)", a line separator, and names
// too long for a level that are alike once cut.
std::vector<std::uint8_t> Hazards() {
    CAccountList accounts;
    CAccount* unknown = NewAccount(accounts, u"Unknown", 0);
    CAccount* card = NewAccount(accounts, u"Card: Visa", 0);
    CAccount* petty = NewAccount(accounts, u";Petty  cash", 0);
    CAccount* box = NewAccount(accounts, u"Cash\u00A0 box", 25);

    CExpenseGroup root(u"Все расходы", nullptr);
    CExpenseGroup* home = Group(root, u"Home: rent");
    Spend(*Article(*home, u"Rent  (June)"), 2009, 6, 1, 500, unknown);
    Spend(*Article(*home, u";note"), 2009, 6, 2, 3, nullptr);
    Spend(*Article(*home, u"Rent\u2003 (June)"), 2009, 6, 2, 8, box);
    Spend(*Article(*home, u"Rent\u00A0"), 2009, 6, 2, 9, box);
    Spend(*Article(*home, u"Rent (2)"), 2009, 6, 2, 10, box);
    CExpenseGroup* food = Group(root, u"Food");
    Spend(*Article(*food, u"Bread\tfresh "), 2009, 6, 1, 2, card);
    Spend(*Article(*food, u"\u3000Tea\u2028black"), 2009, 6, 2, 1, box);
    Spend(*Article(*food, std::u16string(130, u'я') + u"1"), 2009, 6, 2, 11, nullptr);
    Spend(*Article(*food, std::u16string(130, u'я') + u"2"), 2009, 6, 2, 12, nullptr);
    Spend(*Article(root, u"Food"), 2009, 6, 3, -1, petty);
    Spend(*Article(root, u"*star"), 2009, 6, 3, 4, nullptr);
    Spend(*Article(root, u"(code) x"), 2009, 6, 3, 6, nullptr);
    Spend(*Article(root, u""), 2009, 6, 4, 2147483647, nullptr);
    Spend(*Article(root, u"Min"), 2009, 6, 4, INT32_MIN, card);
    return WriteDataFile(accounts, root);
}

// Notes to find by a word in any case, to quote in CSV and to keep from reading as a
// journal's comment, status or code, with tags of both alphabets.
std::vector<std::uint8_t> WithNotes() {
    CAccountList accounts;
    CAccount* cash = NewAccount(accounts, u"Наличные", 100);
    CNoteTable notes;
    CExpenseGroup root(u"Все расходы", nullptr);
    CExpenseGroup* food = Group(root, u"Еда");
    CExpenseArticle* dinner = Article(*food, u"Ужин");
    const auto spend = [&](CExpenseArticle& article, int d, Amount amount, const char16_t* note) {
        article.Days()
            .GetOrCreate(DayNumberFromDate(2009, 7, d))
            .Add(cash, amount, notes.Add(note));
    };
    spend(*dinner, 1, 30, u"Ужин в порту; вино, \"белое\" #Отпуск #море");
    spend(*dinner, 1, 12, u"");
    spend(*dinner, 2, 8, u"*чаевые (наличными) | #отпуск");
    spend(*Article(*food, u"Обед"), 3, 5, u"обед на работе #work");
    CExpenseArticle* taxi = Article(root, u"Такси");
    spend(*taxi, 4, 20, u"до вокзала: ОТПУСК кончился #date");
    spend(*taxi, 5, 15, u"(ночь) без отпуска");
    return WriteDataFile(accounts, root, notes);
}

// Deposits and transfers beside expenses: a deposit recorded after a later expense of its
// day and one recorded after later movements, a transfer each way, one from and one to a
// deleted account, notes and a category path that CSV quotes and the export escapes, an
// account with nothing recorded and two accounts of one name.
std::vector<std::uint8_t> WithMovements() {
    CAccountList accounts;
    CAccount* cash = NewAccount(accounts, u"Наличные", 235);
    CAccount* card = NewAccount(accounts, u"Card, \"Visa\"", 1000);
    NewAccount(accounts, u"Untouched", 42);
    NewAccount(accounts, u"Twin", 0);
    NewAccount(accounts, u"Twin", 5);
    CNoteTable notes;
    CExpenseGroup root(u"Все расходы", nullptr);
    CExpenseArticle* rent = Article(*Group(root, u"Дом / дача"), u"Аренда");
    rent->Days()
        .GetOrCreate(DayNumberFromDate(2010, 1, 5))
        .Add(card, 300, notes.Add(u"январь, \"долг\" #дом"));
    CExpenseArticle* food = Article(root, u"Еда");
    Spend(*food, 2010, 1, 3, 40, cash);
    Spend(*food, 2010, 1, 5, 15, cash);
    Spend(*food, 2010, 1, 8, -5, cash);
    const auto day = [](int d) { return DayNumberFromDate(2010, 1, d); };
    const std::vector<CMovement> movements{
        {day(5), nullptr, cash, 100, false, u"зарплата; аванс #работа", u"", kNoId, {}},
        {day(4), card, cash, 500, true, u"на расходы", u"", kNoId, {}},
        {day(6), cash, nullptr, 50, true, u"", u"Старая карта: Мир", kNoId, {}},
        {day(7), nullptr, card, 70, true, u"", u"Копилка", kNoId, {}},
        {day(2), nullptr, card, 2000, false, u"", u"", kNoId, {}},
        {day(9), cash, card, -20, true, u"", u"", kNoId, {}},
    };
    return WriteDataFile(accounts, root, notes, movements);
}

BudgetPlan Monthly(Amount amount, int year, int month) {
    BudgetPlan plan;
    plan.monthly = amount;
    plan.from = year * kMonthsInYear + month - 1;
    return plan;
}

// The basic file with budgets: Bread 30 a month from February 2009, its leftover carried; Fuel
// 30 in March 2009 alone; the group Snacks 5 a month from January. Food and Transport have
// their children's, the root both groups'.
std::vector<std::uint8_t> WithBudgets() {
    test::CScriptedPlatform platform;
    CVerdalonDoc doc(platform);
    std::string error;
    if (!doc.Load(Basic(), error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        std::exit(1);
    }
    CExpenseGroup& food = *doc.GetRoot()->Groups()[0];
    SetBudget(doc, *food.Articles()[0], Monthly(30, 2009, 2), true);
    SetBudget(doc, *food.Groups()[0], Monthly(5, 2009, 1), false);
    BudgetPlan fuel;
    fuel.year = 2009;
    fuel.months[2] = 30;
    SetBudget(doc, *doc.GetRoot()->Groups()[1]->Articles()[0], fuel, false);
    return doc.Store();
}

std::vector<std::uint8_t> Empty() {
    return WriteDataFile(CAccountList{}, CExpenseGroup(u"Все расходы", nullptr));
}

// Version 1: accounts after the tree, entries naming accounts by a 16-bit id; of two
// accounts with one id the first wins, an id nobody has means no account.
std::vector<std::uint8_t> Version1() {
    test::CFileBytes f;
    f.U32(1).Str(u"Root").I32(0).I32(1);
    f.Str(u"Rent").I32(1).U32(DayNumberFromDate(2007, 6, 1)).I32(3);
    for (const auto& [id, amount] : {std::pair{9, 300}, std::pair{7, 20}, std::pair{3, 1}}) {
        f.U16(static_cast<std::uint16_t>(id)).I32(amount);
    }
    f.I32(3);
    for (const auto& [id, name] :
         {std::pair{7, u"Wallet"}, std::pair{9, u"Bank"}, std::pair{7, u"Second wallet"}}) {
        f.U16(static_cast<std::uint16_t>(id)).Str(name).I32(100);
    }
    return f.Bytes();
}

// Version 0: articles keep only their days, which still count as recorded days.
std::vector<std::uint8_t> Version0() {
    test::CFileBytes f;
    f.U32(0).Str(u"Root").I32(0).I32(1);
    f.Str(u"Old").I32(2).U32(DayNumberFromDate(2004, 5, 6)).U32(DayNumberFromDate(2003, 1, 2));
    f.Zeros(16);
    f.I32(1).Zeros(16).Str(u"Cash").I32(42);
    return f.Bytes();
}

// Scheduled expenses as the window makes them: a rent on the 31st moved off weekends to Monday
// from its account, recorded by itself, whose October is recorded; a phone bill on the last day
// of the month moved to Friday, twelve times; a subscription yearly on 29 February; a deleted one.
std::vector<std::uint8_t> WithSchedules() {
    test::CScriptedPlatform platform;
    CVerdalonDoc doc(platform);
    doc.OnNewDocument("/nonexistent/QZData.dat");
    CExpenseGroup& root = *doc.GetRoot();
    auto* home = static_cast<CExpenseGroup*>(AddNode(doc, root, u"Дом", true));
    CCategoryNode* rent = AddNode(doc, *home, u"Аренда", false);
    CCategoryNode* phone = AddNode(doc, root, u"Связь", false);
    NewAccount(doc);
    RenameAccount(doc, 0, u"Карта");
    const auto day = [](int y, int m, int d) { return DayNumberFromDate(y, m, d); };
    MoveMoney(doc, {day(2024, 1, 1), -1, 0, 100000, {}});
    const ItemId card = doc.Accounts().GetAt(0)->m_nId;
    const ItemId rentId = AddSchedule(
        doc, {rent->m_nId, 25000, card, u"аренда, \"за месяц\""},
        {day(2026, 10, 31), Repeat::Months, 1, WeekendRule::MondayAfter}, ScheduleMode::Record);
    AddSchedule(doc, {phone->m_nId, 450, kNoId, {}},
                {day(2026, 9, 5), Repeat::LastDayOfMonth, 1, WeekendRule::FridayBefore,
                 ScheduleEnd::AfterCount, 0, 12},
                ScheduleMode::Remind);
    AddSchedule(doc, {phone->m_nId, 199, card, u"подписка"}, {day(2024, 2, 29), Repeat::Years},
                ScheduleMode::Remind);
    DeleteSchedule(doc, AddSchedule(doc, {rent->m_nId, 1, kNoId, {}},
                                    {day(2026, 1, 1), Repeat::Days}, ScheduleMode::Remind));
    (void)RecordOccurrence(doc, {rentId, 0, day(2026, 11, 2)});
    return doc.Store();
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_cli_data OUTDIR\n");
        return 2;
    }
    const std::filesystem::path dir = argv[1];
    std::filesystem::create_directories(dir);
    const std::vector<std::uint8_t> basic = Basic();
    Save(dir / "basic.dat", basic);
    Save(dir / "damaged.dat", {basic.begin(), basic.begin() + static_cast<long>(basic.size() / 2)});
    Save(dir / "version3.dat", {3, 0, 0, 0, 0, 0, 0, 0});
    Save(dir / "empty.dat", Empty());
    Save(dir / "budgets.dat", WithBudgets());
    Save(dir / "hazards.dat", Hazards());
    Save(dir / "notes.dat", WithNotes());
    Save(dir / "movements.dat", WithMovements());
    Save(dir / "version1.dat", Version1());
    Save(dir / "version0.dat", Version0());
    Save(dir / "schedules.dat", WithSchedules());
    return 0;
}
