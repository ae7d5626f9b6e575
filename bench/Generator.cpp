// Writes a realistic data file of a chosen size: a two-level tree of groups and
// articles, a few accounts, and entries spread over whole years with a few per day
// and article, and, when asked, deposits and transfers among the accounts over the same
// days and notes on every n-th entry. The same arguments always give the same bytes.
// The items' ids: none (the file of the layout before identities), derived (what the program
// writes after reading such a file) or made on one device, the entries day by day in the
// order they were recorded (what the program writes when they were recorded in it).
#include "GiveMovements.h"
#include "GiveNotes.h"
#include "model/Account.h"
#include "model/CategoryNode.h"
#include "model/DeriveIds.h"
#include "period/DayNumber.h"
#include "storage/DataFile.h"
#include "storage/FileIO.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

using namespace tamblero;

// SplitMix64: tiny, fast and the same on every standard library.
class CRandom final {
public:
    explicit CRandom(std::uint64_t seed) : m_state(seed) {}
    std::uint64_t Next() {
        std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30U)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27U)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31U);
    }
    // Uniform in [0, n).
    std::uint32_t Below(std::uint32_t n) {
        return static_cast<std::uint32_t>(((Next() >> 32U) * n) >> 32U);
    }

private:
    std::uint64_t m_state;
};

struct Options {
    long entries = 100000;
    long movements = 0;
    long notesEvery = 0; // every n-th entry gets a note; 0: none
    int years = 20;
    int articles = 30;
    int groups = 8;
    int accounts = 3;
    int endYear = 2025;
    enum class Ids { None, Derived, Made } ids = Ids::None;
    std::uint64_t seed = 20081109;
    std::string output;
};

// The first half are top-level groups, the rest their subgroups in turn.
const char16_t* const kGroupNames[] = {u"Еда",      u"Транспорт", u"Дом",    u"Досуг",
                                       u"Продукты", u"Такси",     u"Ремонт", u"Концерты",
                                       u"Здоровье", u"Одежда",    u"Связь",  u"Подарки"};
const char16_t* const kArticleNames[] = {
    u"Кофе",     u"Обед",     u"Хлеб",      u"Молоко",  u"Овощи",    u"Фрукты",
    u"Мясо",     u"Автобус",  u"Метро",     u"Бензин",  u"Парковка", u"Аренда",
    u"Свет",     u"Вода",     u"Лекарства", u"Врач",    u"Кино",     u"Книги",
    u"Концерты", u"Обувь",    u"Куртки",    u"Телефон", u"Интернет", u"Цветы",
    u"Игрушки",  u"Сладости", u"Чай",       u"Сыр",     u"Рыба",     u"Такси"};
const char16_t* const kAccountNames[] = {u"Наличные", u"Карта", u"Сбережения", u"Кошелёк"};

std::u16string Name(const char16_t* const* names, std::size_t count, int i) {
    std::u16string name = names[static_cast<std::size_t>(i) % count];
    if (static_cast<std::size_t>(i) >= count) {
        const std::string n = std::to_string(static_cast<std::size_t>(i) / count + 1);
        name += u' ';
        name.append(n.begin(), n.end());
    }
    return name;
}

bool Parse(int argc, char** argv, Options& o) {
    std::vector<std::string> positional;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const auto value = [&]() -> long {
            return i + 1 < argc ? std::strtol(argv[++i], nullptr, 10) : -1;
        };
        if (arg == "--articles") {
            o.articles = static_cast<int>(value());
        } else if (arg == "--groups") {
            o.groups = static_cast<int>(value());
        } else if (arg == "--accounts") {
            o.accounts = static_cast<int>(value());
        } else if (arg == "--end-year") {
            o.endYear = static_cast<int>(value());
        } else if (arg == "--movements") {
            o.movements = value();
        } else if (arg == "--notes") {
            o.notesEvery = value();
        } else if (arg == "--ids") {
            const std::string kind = i + 1 < argc ? argv[++i] : "";
            if (kind == "derived") {
                o.ids = Options::Ids::Derived;
            } else if (kind == "made") {
                o.ids = Options::Ids::Made;
            } else if (kind != "none") {
                return false;
            }
        } else if (arg == "--seed") {
            o.seed = static_cast<std::uint64_t>(value());
        } else {
            positional.push_back(arg);
        }
    }
    if (positional.size() != 3) {
        return false;
    }
    o.entries = std::strtol(positional[0].c_str(), nullptr, 10);
    o.years = static_cast<int>(std::strtol(positional[1].c_str(), nullptr, 10));
    o.output = positional[2];
    return o.entries >= 0 && o.movements >= 0 && o.notesEvery >= 0 && o.years >= 1 &&
           o.articles >= 1 && o.groups >= 1 && o.accounts >= 0 &&
           o.accounts <= CAccountList::kMaxAccounts && o.endYear > 1601 &&
           o.endYear - o.years + 1 > 1601 && o.endYear <= 9999;
}

struct Planned {
    std::uint32_t article;
    DayNumber day;
    std::int32_t account; // -1: none
    Amount amount;
};

} // namespace

int main(int argc, char** argv) {
    Options o;
    if (!Parse(argc, argv, o)) {
        std::fprintf(stderr, "usage: generator ENTRIES YEARS OUTPUT [--articles N] [--groups N] "
                             "[--accounts N] [--end-year YYYY] [--seed N] [--movements N] "
                             "[--notes EVERY] [--ids none|derived|made]\n");
        return 2;
    }
    CRandom random(o.seed);

    CAccountList accounts;
    for (int i = 0; i < o.accounts; ++i) {
        const std::u16string name = Name(kAccountNames, std::size(kAccountNames), i);
        CAccount* account = accounts.CreateAccount(&name);
        account->AdjustBalance(static_cast<Amount>(random.Below(200000)));
    }

    // Two levels: the first half of the groups under the root, the rest under them.
    CExpenseGroup root(u"Все расходы", nullptr);
    std::vector<CExpenseGroup*> groups;
    const int top = std::max(1, (o.groups + 1) / 2);
    for (int i = 0; i < o.groups; ++i) {
        CExpenseGroup* parent = i < top ? &root : groups[static_cast<std::size_t>(i % top)];
        groups.push_back(parent->AddGroup(Name(kGroupNames, std::size(kGroupNames), i)));
    }
    std::vector<CExpenseArticle*> articles;
    std::vector<Amount> typical;
    std::vector<std::uint32_t> weight; // a few articles take most entries, like coffee
    std::uint32_t totalWeight = 0;
    for (int i = 0; i < o.articles; ++i) {
        // Most articles sit in a group; every seventh directly under the root.
        CExpenseGroup* parent =
            i % 7 == 6 ? &root : groups[static_cast<std::size_t>(i) % groups.size()];
        articles.push_back(parent->AddArticle(Name(kArticleNames, std::size(kArticleNames), i)));
        typical.push_back(static_cast<Amount>(50 + random.Below(3000)));
        const std::uint32_t w = 1 + 60 / static_cast<std::uint32_t>(1 + i % 12);
        weight.push_back(w);
        totalWeight += w;
    }

    const DayNumber firstDay = DayNumberFromDate(o.endYear - o.years + 1, 1, 1);
    const DayNumber lastDay = DayNumberFromDate(o.endYear, 12, 31);
    const std::uint32_t days = lastDay - firstDay + 1;

    std::vector<Planned> plan;
    plan.reserve(static_cast<std::size_t>(o.entries));
    for (long n = 0; n < o.entries; ++n) {
        std::uint32_t pick = random.Below(totalWeight);
        std::uint32_t article = 0;
        while (pick >= weight[article]) {
            pick -= weight[article++];
        }
        const DayNumber day = firstDay + random.Below(days);
        const std::int32_t account =
            o.accounts > 0 && random.Below(10) != 0
                ? static_cast<std::int32_t>(random.Below(static_cast<std::uint32_t>(o.accounts)))
                : -1;
        // Mostly near the article's usual price, now and then several times it.
        Amount amount =
            typical[article] / 2 +
            static_cast<Amount>(random.Below(static_cast<std::uint32_t>(typical[article])));
        if (random.Below(50) == 0) {
            amount *= 1 + static_cast<Amount>(random.Below(8));
        }
        plan.push_back({article, day, account, amount});
    }
    // Made ids: the device's sequence numbers in the order the entries were recorded, day by
    // day, after those of the tree and the accounts.
    CLedgerIds ids;
    const std::uint32_t slot = ids.SlotFor(DeviceId{1}).value();
    std::uint64_t nextSeq = 1;
    std::vector<std::uint64_t> seqOf(plan.size(), 0);
    if (o.ids == Options::Ids::Made) {
        root.m_nId = MakeItemId(slot, nextSeq++);
        ForEachNode(root, [&](CCategoryNode& n) { n.m_nId = MakeItemId(slot, nextSeq++); });
        for (int i = 0; i < accounts.GetCount(); ++i) {
            accounts.GetAt(i)->m_nId = MakeItemId(slot, nextSeq++);
        }
        std::vector<std::size_t> recorded(plan.size());
        for (std::size_t i = 0; i < plan.size(); ++i) {
            recorded[i] = i;
        }
        std::stable_sort(recorded.begin(), recorded.end(),
                         [&](std::size_t a, std::size_t b) { return plan[a].day < plan[b].day; });
        for (const std::size_t i : recorded) {
            seqOf[i] = nextSeq++;
        }
    }
    // Within an article and a day the entries keep the order in which they were made.
    std::vector<std::size_t> order(plan.size());
    for (std::size_t i = 0; i < plan.size(); ++i) {
        order[i] = i;
    }
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return plan[a].article != plan[b].article ? plan[a].article < plan[b].article
                                                  : plan[a].day < plan[b].day;
    });
    for (const std::size_t i : order) {
        const Planned& p = plan[i];
        CAccount* account = p.account >= 0 ? accounts.GetAt(p.account) : nullptr;
        const ItemId id = seqOf[i] != 0 ? MakeItemId(slot, seqOf[i]) : kNoId;
        articles[p.article]->Days().GetOrCreate(p.day).Add(account, p.amount, kNoNote, id);
    }
    // Undone entries leave empty days behind: one in about two thousand entries.
    for (long n = 0; n < o.entries / 2000; ++n) {
        articles[random.Below(static_cast<std::uint32_t>(o.articles))]->Days().GetOrCreate(
            firstDay + random.Below(days));
    }

    std::vector<CMovement> movements =
        bench::MakeMovements(accounts, firstDay, lastDay, static_cast<std::size_t>(o.movements));
    if (o.ids == Options::Ids::Made) {
        for (CMovement& m : movements) {
            m.m_nId = MakeItemId(slot, nextSeq++);
        }
    }
    CNoteTable notes;
    if (o.notesEvery > 0) {
        bench::GiveNotes(root, notes, static_cast<std::size_t>(o.notesEvery));
    }
    if (o.ids != Options::Ids::None) {
        CMovementList list;
        list.Append(movements);
        DeriveMissingIds(root, accounts, list, notes);
        movements = list.Items();
    }
    const std::vector<std::uint8_t> bytes = WriteDataFile(
        accounts, root, notes, movements, {}, o.ids == Options::Ids::None ? nullptr : &ids);
    SaveOptions save;
    save.keepBackup = false;
    save.sync = false;
    std::string error;
    if (!ReplaceFile(o.output, bytes, save, error)) {
        std::fprintf(stderr, "generator: %s\n", error.c_str());
        return 1;
    }
    std::size_t buckets = 0;
    for (const CExpenseArticle* a : articles) {
        buckets += a->Days().size();
    }
    std::printf("%s: %ld entries, %zu day buckets, %d articles, %d groups, %d accounts, "
                "%zu movements, %d..%d, %zu bytes\n",
                o.output.c_str(), o.entries, buckets, o.articles, o.groups, o.accounts,
                movements.size(), o.endYear - o.years + 1, o.endYear, bytes.size());
    return 0;
}
