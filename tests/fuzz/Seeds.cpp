#include "tests/fuzz/Seeds.h"

#include "model/DefaultStructure.h"
#include "resources/StringTable.h"
#include "storage/Archive.h"
#include "storage/DataFile.h"

#include <memory>

namespace tamblero::fuzz {

namespace {

constexpr DayNumber kSomeDay = 148907;

// The archive also reads one-byte-per-character strings; old files may hold them.
void WriteNarrowString(CArchiveWriter& ar, const std::string& s) {
    ar.WriteU8(static_cast<std::uint8_t>(s.size()));
    for (const char c : s) {
        ar.WriteU8(static_cast<std::uint8_t>(c));
    }
}

std::vector<std::uint8_t> WriteV2(bool withEntries) {
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
    root.AppendLoaded(std::move(article));
    return WriteDataFile(accounts, root);
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
    CArchiveWriter ar;
    ar.WriteU32(1);
    ar.WriteString(u"Все расходы");
    ar.WriteI32(1);                // one child group
    WriteNarrowString(ar, "Food"); // the child group
    ar.WriteI32(0);
    ar.WriteI32(1);
    ar.WriteString(u"Обед");
    if (withEntries) {
        ar.WriteI32(2); // buckets
        ar.WriteU32(kSomeDay);
        ar.WriteI32(3);
        for (const std::uint16_t id : {7, 9, 300}) {
            ar.WriteU16(id);
            ar.WriteI32(10 * id);
        }
        ar.WriteU32(kSomeDay - 1);
        ar.WriteI32(0);
    } else {
        ar.WriteI32(0);
    }
    ar.WriteI32(1); // articles of the root
    ar.WriteString(u"Разное");
    ar.WriteI32(0);
    ar.WriteI32(3); // accounts: two share an id
    for (const std::uint16_t id : {9, 7, 9}) {
        ar.WriteU16(id);
        ar.WriteString(u"Счет " + std::u16string(1, static_cast<char16_t>(u'0' + id)));
        ar.WriteI32(100 * id);
    }
    return ar.Take();
}

// Version 0: articles keep only their days, followed by 16 unused bytes; accounts
// start with 16 unused bytes.
std::vector<std::uint8_t> WriteV0(bool withEntries) {
    CArchiveWriter ar;
    ar.WriteU32(0);
    WriteNarrowString(ar, "Root");
    ar.WriteI32(0);
    ar.WriteI32(2);
    for (int a = 0; a < 2; ++a) {
        ar.WriteString(a == 0 ? u"Еда" : u"Дом");
        const int days = withEntries ? 3 : 0;
        ar.WriteI32(days);
        for (int d = 0; d < days; ++d) {
            ar.WriteU32(kSomeDay + static_cast<DayNumber>(a * 10 + d));
        }
        for (int i = 0; i < 16; ++i) {
            ar.WriteU8(0xCC);
        }
    }
    ar.WriteI32(1);
    for (int i = 0; i < 16; ++i) {
        ar.WriteU8(0);
    }
    ar.WriteString(u"Наличные");
    ar.WriteI32(250);
    return ar.Take();
}

} // namespace

std::vector<Seed> MakeSeeds() {
    return {
        {"v2-entries", 2, WriteV2(true)},
        {"v2-no-entries", 2, WriteV2(false)},
        {"v2-default-structure", 2, WriteDefaultStructure()},
        {"v1-entries", 1, WriteV1(true)},
        {"v1-no-entries", 1, WriteV1(false)},
        {"v0-days", 0, WriteV0(true)},
        {"v0-no-days", 0, WriteV0(false)},
    };
}

} // namespace tamblero::fuzz
