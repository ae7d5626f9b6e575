#include "tests/fuzz/Seeds.h"

#include "model/DefaultStructure.h"
#include "resources/StringTable.h"
#include "storage/DataFile.h"
#include "tests/support/FileBytes.h"

#include <algorithm>
#include <memory>

namespace tamblero::fuzz {

namespace {

constexpr DayNumber kSomeDay = 148907;

// A movement the program never records now, written as it is.
enum class Strange { None, BothSidesAndAGoneName, AGoneNameOnTwoLines };

// What the identities' section holds: none, every kind, or a section an earlier program kept
// while it added an entry; with every kind, what deletion records remember too, or that section
// kept by a program that then undid a deletion; with every kind, the import rules and bank ids
// and the schedules, or the budgets.
enum class Identities { None, EveryKind, Stale, Remembered, RememberedStale, Memory, Budgets };

// Every kind of what deletion records remember and a merge keeps, for the records of
// GiveIdentities.
void GiveRemembered(CLedgerIds& ids, const CAccountList& accounts) {
    const std::uint32_t slot = ids.SlotFor(DeviceId{0xA11C'E000'0000'0001ULL}).value();
    const std::uint32_t other = ids.SlotFor(DeviceId{0xB0B0'0000'0000'0002ULL}).value();
    const DeviceId third{0xC0C0'0000'0000'0003ULL}; // named by stamps alone
    const ItemId account = accounts.GetAt(0)->m_nId;
    const CStamp spent = ids.m_goneExpenses[MakeItemId(other, 7)];
    ids.m_lastExpenses[MakeItemId(other, 7)] = {
        MakeItemId(slot, 50),
        kSomeDay,
        -12,
        account,
        u"обед #отпуск",
        {CStamp(5, 0, third), {}, CStamp(6, 1, third), {}, {}},
        spent};
    ids.m_lastNodes.push_back(
        {MakeItemId(slot, 50), DerivedId(9), false, u"Кафе", CStamp(7, 0, third), {}});
    ids.m_lastAccounts.push_back(
        {DerivedId(3), u"Старый счет", -2147483649LL, {}, CStamp(8, 0, third), {}});
    ids.m_parkedMovements.push_back({MakeItemId(other, 60), CStamp(12, 0, third), kLastValidDay,
                                     kNoId, DerivedId(3), 2147483647, false, u"", u"Старый"});
    ids.m_goneAccountOf[MakeItemId(slot, 61)] = {DerivedId(3), CStamp(13, 0, third)};
    ids.m_movedFrom[MakeItemId(slot, 62)] = {MakeItemId(slot, 50), {}};
    ids.m_placedFrom[MakeItemId(slot, 63)] = {MakeItemId(slot, 50), CStamp(14, 0, third)};
    ids.m_goneSides[MakeItemId(other, 64)] = DerivedId(3);
}

// Budgets of both kinds, one carrying its leftover, one of another device and a deleted one.
CBudgetBook MakeBudgets(CLedgerIds& ids) {
    const DeviceId there{0xB0B0'0000'0000'0002ULL};
    const std::uint32_t slot = ids.SlotFor(DeviceId{0xA11C'E000'0000'0001ULL}).value();
    const std::uint32_t other = ids.SlotFor(there).value();
    const CStamp stamp(1'700'000'000'009, 1, there);
    CBudgetBook book;
    BudgetPlan monthly;
    monthly.monthly = 5000;
    monthly.from = 2026 * kMonthsInYear + 10;
    book.Put({MakeItemId(slot, 90), MakeItemId(slot, 50), monthly, true, {stamp, {}}});
    BudgetPlan yearly;
    yearly.year = 2026;
    yearly.months[0] = 0;
    yearly.months[11] = 2147483647;
    book.Put({MakeItemId(other, 91), DerivedId(9), yearly, false, {{}, stamp}});
    book.Put({MakeItemId(other, 92), DerivedId(5), monthly, false, {}});
    (void)book.Bury(MakeItemId(other, 92), stamp);
    return book;
}

// Rules of every kind (a range of one end and of both, an article of another device, a key of
// several bytes), a deleted one, bank ids of two accounts with the items of some, and CSV
// readings: one of every
// column and setting, one an undo forgot.
CStatementMemory MakeMemory(CLedgerIds& ids, const CAccountList& accounts) {
    const DeviceId there{0xB0B0'0000'0000'0002ULL};
    const std::uint32_t slot = ids.SlotFor(DeviceId{0xA11C'E000'0000'0001ULL}).value();
    const std::uint32_t other = ids.SlotFor(there).value();
    const CStamp stamp(1'700'000'000'007, 3, there);
    std::vector<StatementRule> rules{
        {{u"магнит"}, MakeItemId(other, 70), 100, {}, MakeItemId(slot, 80), "\x40", {}},
        {{u"яндекс", u"такси"},
         DerivedId(9),
         0,
         2147483647,
         MakeItemId(other, 81),
         std::string("\x80\x00\x01", 3),
         {stamp, {}, stamp, {}}},
    };
    CStatementMemory memory;
    memory.Rules() = CRuleList(std::move(rules));
    memory.Bury({{u"аптека"}, kNoId, {}, 50, MakeItemId(slot, 82), "\xc0", {}}, stamp);
    memory.Remember(accounts.GetAt(0)->m_nId, u"FITID-0001");
    memory.Remember(accounts.GetAt(0)->m_nId, u"№ 2");
    memory.Remember(DerivedId(3), u"FITID-0001");
    memory.RememberItem({accounts.GetAt(0)->m_nId, u"FITID-0001", MakeItemId(other, 90)});
    memory.RememberItem({accounts.GetAt(0)->m_nId, u"FITID-0001", DerivedId(11)});
    memory.RememberItem({DerivedId(3), u"FITID-0001", MakeItemId(slot, 91)});
    memory.SetCsv(accounts.GetAt(0)->m_nId,
                  {{0, -1, 4, 5, 2, 3, 6, 1},
                   {TextEncoding::Cp1251, u'\t', u',', DateForm::MonthDayYearSlashes, 3, 0},
                   stamp});
    memory.SetCsv(DerivedId(3), {{}, {}, stamp});
    return memory;
}

// Schedules of every repeat, weekend rule, end and mode, an article of another device, marks of
// every state and a deleted one.
CScheduleBook MakeSchedules(CLedgerIds& ids) {
    const DeviceId there{0xB0B0'0000'0000'0002ULL};
    const std::uint32_t slot = ids.SlotFor(DeviceId{0xA11C'E000'0000'0001ULL}).value();
    const std::uint32_t other = ids.SlotFor(there).value();
    const CStamp stamp(1'700'000'000'009, 1, there);
    CScheduleBook book;
    Schedule rent{MakeItemId(slot, 90),
                  {MakeItemId(other, 70), 25000, DerivedId(3), u"аренда #дом"},
                  {kSomeDay, Repeat::Months, 1, WeekendRule::MondayAfter, ScheduleEnd::Never, 0, 0},
                  ScheduleMode::Record,
                  stamp,
                  stamp,
                  {},
                  {{0, {OccurrenceState::Recorded, stamp}},
                   {1, {OccurrenceState::Skipped, stamp}},
                   {7, {OccurrenceState::Open, stamp}}}};
    book.Put(rent);
    rent.id = MakeItemId(other, 91);
    rent.what.account = kNoId;
    rent.when = {
        kSomeDay, Repeat::LastDayOfMonth, 3, WeekendRule::FridayBefore, ScheduleEnd::AfterCount, 0,
        12};
    rent.mode = ScheduleMode::Remind;
    rent.marks.clear();
    book.Put(rent);
    rent.id = MakeItemId(slot, 92);
    rent.when = {kSomeDay,           Repeat::Years, kMaxEvery, WeekendRule::Keep,
                 ScheduleEnd::OnDay, kLastValidDay, 0};
    book.Bury(rent, stamp);
    return book;
}

// Gives the tree, accounts and movements ids of every kind, stamps and deletion records.
void GiveIdentities(CExpenseGroup& root, CAccountList& accounts, std::vector<CMovement>& movements,
                    CLedgerIds& ids) {
    const DeviceId here{0xA11C'E000'0000'0001ULL};
    const DeviceId there{0xB0B0'0000'0000'0002ULL};
    const std::uint32_t slot = ids.SlotFor(here).value();
    const std::uint32_t other = ids.SlotFor(there).value();
    std::uint64_t seq = 1;
    CCategoryNode& group = *root.Groups().front();
    group.m_nId = MakeItemId(slot, seq++);
    group.m_nameStamp = CStamp(1'700'000'000'000, 2, there);
    accounts.GetAt(0)->m_nId = MakeItemId(slot, seq++);
    accounts.GetAt(0)->m_openingStamp = CStamp(1'700'000'000'001, 0, here);
    for (CMovement& m : movements) {
        m.m_nId = MakeItemId(other, seq++);
        m.m_created = CStamp(seq, 0, there);
    }
    ItemId stamped = kNoId;
    root.ForEachArticleBelow([&](CExpenseArticle& article) {
        article.Days().ForEachListForNotes([&](CEntryList& list) {
            for (int i = 0; i < list.GetCount(); i += 2) {
                list.SetId(i, MakeItemId(i % 4 == 0 ? slot : other, 100 - seq++));
                stamped = list.GetAt(i).m_nId;
            }
        });
    });
    ids.m_expenseStamps[stamped].amount = CStamp(1'700'000'000'005, 1, here);
    ids.m_goneExpenses[MakeItemId(other, 7)] = CStamp(1'700'000'000'006, 0, there);
    CLedgerIds::Bury(ids.m_goneNodes, MakeItemId(slot, 50), CStamp(9, 0, here), group.m_nId);
    CLedgerIds::Bury(ids.m_goneAccounts, DerivedId(3), CStamp(10, 0, here));
    CLedgerIds::Bury(ids.m_goneMovements, MakeItemId(slot, 51), CStamp(11, 0, there));
}

// notes: the second and the last entry get one, a deposit and two transfers (one of a
// deleted account) are recorded, and a section of an id this program does not know follows
// when kept is set.
std::vector<std::uint8_t> WriteV2(bool withEntries, bool notes = false, bool kept = false,
                                  Strange strange = Strange::None,
                                  Identities identities = Identities::None) {
    CAccountList accounts;
    const std::u16string cash = u"Наличные";
    CAccount* first = accounts.CreateAccount(&cash);
    first->AdjustBalance(500);
    CAccount* second = accounts.CreateAccount();
    second->AdjustBalance(-7);

    CExpenseGroup root(LoadString(IDS_ROOT_NAME), nullptr);
    ParseStructure(root, u"Еда{Обед,Ужин},Дом{Ремонт{Краска},},Транспорт");
    auto article = std::make_unique<CExpenseArticle>(std::u16string(300, u'я'), &root);
    if (withEntries) {
        CEntryList& day = article->Days().GetOrCreate(kSomeDay);
        day.Add(first, 120);
        day.Add(nullptr, -3);
        day.Add(second, 2147483647);
        article->Days().GetOrCreate(kSomeDay - 400).Add(first, 1);
        article->Days().GetOrCreate(kLastValidDay);
        root.Groups().front()->Articles().front()->Days().GetOrCreate(0).Add(second, 42);
    }
    CNoteTable table;
    if (notes) {
        // The longest note, a surrogate pair at its end, and a tag.
        article->Days().GetOrCreate(kSomeDay).SetNote(1, table.Add(u"обед #отпуск"));
        article->Days().GetOrCreate(kSomeDay).SetNote(
            2, table.Add(std::u16string(kMaxNoteLength - 2, u'ж') + u"\U0001D11E"));
    }
    root.AppendLoaded(std::move(article));
    std::vector<CMovement> movements;
    if (notes) {
        movements.push_back(
            {kSomeDay, nullptr, first, 700, false, u"зарплата #работа", {}, kNoId, {}});
        movements.push_back({kSomeDay, first, second, -5, true, {}, {}, kNoId, {}});
        movements.push_back(
            {kLastValidDay, nullptr, second, 9, true, {}, u"Старый счет", kNoId, {}});
        if (strange == Strange::BothSidesAndAGoneName) {
            movements[1].m_strGoneName = u"Старый счет";
        } else if (strange == Strange::AGoneNameOnTwoLines) {
            movements[2].m_strGoneName = u"Старый\nсчет";
        }
    }
    std::vector<KeptSection> sections;
    if (kept) {
        sections.push_back({77, {0xDE, 0xAD, 0xBE, 0xEF, 0x00}});
    }
    if (identities == Identities::None) {
        return WriteDataFile(accounts, root, table, movements, sections);
    }
    CLedgerIds ids;
    GiveIdentities(root, accounts, movements, ids);
    if (identities == Identities::Remembered || identities == Identities::RememberedStale) {
        GiveRemembered(ids, accounts);
    }
    if (identities == Identities::RememberedStale) {
        sections.push_back({kRecordsSection, WriteRecordsSection(ids)});
        const CLedgerIds full = ids;
        ids = CLedgerIds{};
        for (const DeviceId device : full.Devices().subspan(1)) {
            (void)ids.SlotFor(device);
        }
        ids.m_expenseStamps = full.m_expenseStamps;
        ids.m_goneNodes = full.m_goneNodes;
        ids.m_goneAccounts = full.m_goneAccounts;
        ids.m_goneMovements = full.m_goneMovements;
    }
    if (identities == Identities::Stale) {
        sections.push_back(
            {kIdentitySection, WriteIdentitySection(root, accounts, movements, table, ids)});
        root.Articles().front()->Days().GetOrCreate(kSomeDay).Add(nullptr, 1);
        return WriteDataFile(accounts, root, table, movements, sections);
    }
    const CStatementMemory memory =
        identities == Identities::Memory ? MakeMemory(ids, accounts) : CStatementMemory{};
    const CBudgetBook budgets =
        identities == Identities::Budgets ? MakeBudgets(ids) : CBudgetBook{};
    const CScheduleBook schedules =
        identities == Identities::Memory ? MakeSchedules(ids) : CScheduleBook{};
    return WriteDataFile(accounts, root, table, movements, sections, &ids, &memory, &budgets,
                         &schedules);
}

// A block whose notes count claims far more records than the bytes hold: refused, without
// room made for them first.
std::vector<std::uint8_t> WriteHostileNoteCount() {
    std::vector<std::uint8_t> bytes = WriteV2(true, true);
    const auto block =
        std::search(bytes.begin(), bytes.end(), kExtensionMarker.begin(), kExtensionMarker.end());
    // marker, version, length, then the section's id and length, then its count
    const auto count = block + static_cast<std::ptrdiff_t>(kExtensionMarker.size() + 16);
    std::fill(count, count + 4, std::uint8_t{0xFF});
    return bytes;
}

std::vector<std::uint8_t> WriteDefaultStructure() {
    CAccountList accounts;
    accounts.CreateAccount(&LoadString(IDS_CASH));
    CExpenseGroup root(LoadString(IDS_ROOT_NAME), nullptr);
    ParseStructure(root, LoadString(IDS_DEFAULT_STRUCTURE));
    return WriteDataFile(accounts, root);
}

// Version 1: tree first, entries name accounts by a 16-bit id, accounts last.
std::vector<std::uint8_t> WriteV1(bool withEntries) {
    test::CFileBytes f;
    f.U32(1).Str(u"Все расходы");
    f.I32(1);            // one child group
    f.NarrowStr("Food"); // the child group
    f.I32(0).I32(1).Str(u"Обед");
    if (withEntries) {
        f.I32(2); // buckets
        f.U32(kSomeDay).I32(3);
        for (const std::uint16_t id : {std::uint16_t{7}, std::uint16_t{9}, std::uint16_t{300}}) {
            f.U16(id).I32(10 * id);
        }
        f.U32(kSomeDay - 1).I32(0);
    } else {
        f.I32(0);
    }
    f.I32(1).Str(u"Разное").I32(0); // articles of the root
    f.I32(3);                       // accounts: two share an id
    for (const std::uint16_t id : {std::uint16_t{9}, std::uint16_t{7}, std::uint16_t{9}}) {
        f.U16(id).Str(u"Счет " + std::u16string(1, static_cast<char16_t>(u'0' + id)));
        f.I32(100 * id);
    }
    return f.Bytes();
}

// Version 0: articles keep only their days, followed by 16 unused bytes; accounts
// start with 16 unused bytes.
std::vector<std::uint8_t> WriteV0(bool withEntries) {
    test::CFileBytes f;
    f.U32(0).NarrowStr("Root").I32(0).I32(2);
    for (int a = 0; a < 2; ++a) {
        f.Str(a == 0 ? u"Еда" : u"Дом");
        const int days = withEntries ? 3 : 0;
        f.I32(days);
        for (int d = 0; d < days; ++d) {
            f.U32(kSomeDay + static_cast<DayNumber>(a * 10 + d));
        }
        for (int i = 0; i < 16; ++i) {
            f.U8(0xCC);
        }
    }
    f.I32(1).Zeros(16).Str(u"Наличные").I32(250);
    return f.Bytes();
}

} // namespace

std::vector<Seed> MakeSeeds() {
    return {
        {"v2-entries", 2, WriteV2(true)},
        {"v2-no-entries", 2, WriteV2(false)},
        {"v2-default-structure", 2, WriteDefaultStructure()},
        {"v2-notes", 2, WriteV2(true, true)},
        {"v2-notes-unknown-section", 2, WriteV2(true, true, true)},
        {"v2-unknown-section-only", 2, WriteV2(false, false, true)},
        {"v2-hostile-note-count", 2, WriteHostileNoteCount(), false},
        {"v2-transfer-of-two-naming-a-gone-one", 2,
         WriteV2(true, true, false, Strange::BothSidesAndAGoneName), false},
        {"v2-gone-name-on-two-lines", 2, WriteV2(true, true, false, Strange::AGoneNameOnTwoLines)},
        {"v2-identities", 2, WriteV2(true, true, false, Strange::None, Identities::EveryKind)},
        {"v2-identities-no-notes", 2,
         WriteV2(true, false, true, Strange::None, Identities::EveryKind)},
        {"v2-identities-kept-while-the-tree-changed", 2,
         WriteV2(true, true, false, Strange::None, Identities::Stale)},
        {"v2-remembered", 2, WriteV2(true, true, false, Strange::None, Identities::Remembered)},
        {"v2-remembered-kept-after-an-undone-deletion", 2,
         WriteV2(true, true, false, Strange::None, Identities::RememberedStale)},
        {"v2-import-memory", 2, WriteV2(true, true, false, Strange::None, Identities::Memory)},
        {"v2-budgets", 2, WriteV2(true, true, false, Strange::None, Identities::Budgets)},
        {"v1-entries", 1, WriteV1(true)},
        {"v1-no-entries", 1, WriteV1(false)},
        {"v0-days", 0, WriteV0(true)},
        {"v0-no-days", 0, WriteV0(false)},
    };
}

} // namespace tamblero::fuzz
