// The identities' section: every id, stamp and record comes back as it was written; a section
// kept by a program that changed the tree since names nothing of it; damage is refused by name.
#include "storage/IdentitySection.h"
#include "model/CategoryNode.h"
#include "schedule/ScheduleChanges.h"
#include "statement/RuleChanges.h"
#include "storage/DataFile.h"
#include "storage/ExtensionBlock.h"
#include "tests/support/CoreWorld.h"
#include "tests/support/Files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <sstream>

namespace tamblero {
namespace {

constexpr DeviceId kOther{0xB0B0'0000'0000'0002ULL};

std::string Text(const CStamp& s) {
    return s == CStamp{} ? "-" : s.Text();
}

// Every item's id and stamps, in file order.
std::string ItemIdsOf(const CVerdalonDoc& doc) {
    std::ostringstream out;
    out << std::hex;
    const auto node = [&](const CCategoryNode& n) {
        out << n.GetName().size() << ':' << n.m_nId << ' ' << Text(n.m_nameStamp) << ' '
            << Text(n.m_placeStamp) << '\n';
        if (const CExpenseArticle* article = n.AsArticle()) {
            for (const auto& [day, list] : article->Days()) {
                for (const CExpenseEntry& e : list.Entries()) {
                    out << "  " << day << ':' << e.m_nId << '\n';
                }
            }
        }
    };
    node(*doc.GetRoot());
    ForEachNode(*doc.GetRoot(), node);
    for (int i = 0; i < doc.Accounts().GetCount(); ++i) {
        const CAccount& a = *doc.Accounts().GetAt(i);
        out << "account " << a.m_nId << ' ' << Text(a.m_created) << ' ' << Text(a.m_nameStamp)
            << ' ' << Text(a.m_openingStamp) << '\n';
    }
    for (const CMovement& m : doc.Movements().Items()) {
        out << "movement " << m.m_nId << ' ' << Text(m.m_created) << '\n';
    }
    std::map<ItemId, ExpenseStamps> stamps(doc.Ids().m_expenseStamps.begin(),
                                           doc.Ids().m_expenseStamps.end());
    for (const auto& [id, s] : stamps) {
        out << "stamps " << id << ' ' << Text(s.place) << ' ' << Text(s.amount) << ' '
            << Text(s.account) << ' ' << Text(s.note) << ' ' << Text(s.presence) << '\n';
    }
    return out.str();
}

// The devices and the deletion records.
std::string RecordsOf(const CVerdalonDoc& doc) {
    std::ostringstream out;
    out << std::hex;
    for (const DeviceId d : doc.Ids().Devices()) {
        out << "device " << static_cast<std::uint64_t>(d) << '\n';
    }
    const std::map<ItemId, CStamp> gone(doc.Ids().m_goneExpenses.begin(),
                                        doc.Ids().m_goneExpenses.end());
    for (const auto& [id, s] : gone) {
        out << "gone " << id << ' ' << Text(s) << '\n';
    }
    for (const auto* list :
         {&doc.Ids().m_goneNodes, &doc.Ids().m_goneAccounts, &doc.Ids().m_goneMovements}) {
        for (const Tombstone& t : *list) {
            out << "buried " << t.id << ' ' << Text(t.stamp) << ' ' << t.forward << '\n';
        }
        out << "--\n";
    }
    return out.str();
}

// A document with an item of every kind of id: made here and on another device, derived at
// its place and away from it (moved), of every stamp and record.
void MakeDocument(test::CCoreWorld& w) {
    CLedgerIds& ids = w.m_doc.Ids();
    const std::uint32_t other = ids.SlotFor(kOther).value();
    CAccount* card = w.m_doc.Accounts().CreateAccount();
    card->m_nId = ids.NewId();
    card->m_created = ids.Stamp();
    card->m_nameStamp = ids.Stamp();
    card->m_openingStamp = CStamp(77, 3, kOther);
    w.m_doc.Accounts().CreateAccount(); // derived
    CExpenseGroup* g = w.Root().AddGroup(u"g");
    g->m_nId = ids.NewId();
    g->m_nameStamp = ids.Stamp();
    g->m_placeStamp = CStamp(1'700'000'000'000, 65535, kOther);
    CExpenseArticle* a = g->AddArticle(u"a"); // derived
    CExpenseArticle* b = w.Root().AddArticle(u"b");
    b->m_nId = MakeItemId(other, 3);
    a->AddEntry(148000, 5, card);
    a->AddEntry(148000, 5, card); // equal to the one before, derived apart
    a->AddEntry(148000, 6, nullptr, w.m_doc.Notes().Add(u"обед"));
    a->AddEntry(148001, 7, card, kNoNote, ids.NewId());
    const ItemId late = MakeItemId(other, 5);
    b->AddEntry(148000, 1, nullptr, kNoNote, ids.NewId() + 40); // a jump ahead,
    b->AddEntry(148000, 2, nullptr, kNoNote, ids.NewId());      // then back
    b->AddEntry(148002, 3, card, kNoNote, late);                // another device's
    b->AddEntry(148002, 4, nullptr, kNoNote, DerivedId(12345)); // moved here from elsewhere
    b->AddEntry(148003, 8, nullptr, kNoNote, MakeItemId(other, kMaxSeq));
    b->Days().GetOrCreate(148004); // an emptied day
    w.m_doc.Movements().Insert(0, {148000, nullptr, card, 700, false, {}, {}, ids.NewId(), {}});
    w.m_doc.Movements().GetAt(0).m_created = ids.Stamp();
    w.m_doc.CompleteIds();
    ids.StampExpense(late, &ExpenseStamps::amount);
    ids.m_expenseStamps[DerivedId(12345)].place = CStamp(9, 0, kOther);
    ids.m_expenseStamps[DerivedId(12345)].presence = ids.Stamp();
    ids.ExpenseGone(MakeItemId(other, 99));
    ids.ExpenseGone(DerivedId(777));
    CLedgerIds::Bury(ids.m_goneNodes, ids.NewId(), ids.Stamp(), g->m_nId);
    CLedgerIds::Bury(ids.m_goneAccounts, DerivedId(5), ids.Stamp());
    CLedgerIds::Bury(ids.m_goneMovements, MakeItemId(other, 12), CStamp(3, 3, kOther));
}

TEST(IdentitySection, EveryIdStampAndRecordComesBackAsWritten) {
    // Store then load gives every id, stamp and record again, from memory and from the file,
    // and a second store the same bytes.
    test::CCoreWorld original;
    MakeDocument(original);
    const std::vector<std::uint8_t> bytes = original.m_doc.Store();

    test::CCoreWorld copy;
    std::string error;
    ASSERT_TRUE(copy.m_doc.Load(bytes, error)) << error;
    EXPECT_EQ(ItemIdsOf(copy.m_doc), ItemIdsOf(original.m_doc));
    EXPECT_EQ(RecordsOf(copy.m_doc), RecordsOf(original.m_doc));
    EXPECT_TRUE(copy.m_doc.Ids().Valid());
    EXPECT_EQ(copy.m_doc.Store(), bytes);

    const test::CTempDir dir;
    ASSERT_TRUE(test::WriteBytes(dir.Path() / "QZData.dat", copy.m_doc.Store()));
    test::CCoreWorld again;
    Reason reason;
    ASSERT_EQ(again.m_doc.LoadFile(dir.Path() / "QZData.dat", reason), FileLoad::Loaded);
    EXPECT_EQ(ItemIdsOf(again.m_doc), ItemIdsOf(original.m_doc));
    EXPECT_EQ(RecordsOf(again.m_doc), RecordsOf(original.m_doc));
    EXPECT_EQ(again.m_doc.Store(), bytes);
    // A change made after the load follows every stamp read.
    EXPECT_GT(again.m_doc.Ids().Stamp(), CStamp(1'700'000'000'000, 65535, kOther));
}

TEST(IdentitySection, AFileOfThePreviousLayoutGetsTheSameDerivedIdsOnEveryLoad) {
    // Without the section every item is derived from content and place, alike each time.
    test::CCoreWorld original;
    MakeDocument(original);
    const std::vector<std::uint8_t> old =
        WriteDataFile(original.m_doc.Accounts(), original.Root(), original.m_doc.Notes(),
                      original.m_doc.Movements().Items());
    test::CCoreWorld first;
    test::CCoreWorld second;
    std::string error;
    ASSERT_TRUE(first.m_doc.Load(old, error)) << error;
    ASSERT_TRUE(second.m_doc.Load(old, error)) << error;
    EXPECT_EQ(ItemIdsOf(first.m_doc), ItemIdsOf(second.m_doc));
    EXPECT_NE(ItemIdsOf(first.m_doc), ItemIdsOf(original.m_doc));
    EXPECT_EQ(first.m_doc.Store(), second.m_doc.Store());
}

TEST(IdentitySection, ASectionKeptWhileTheTreeChangedNamesNoItem) {
    // An earlier program keeps the section unread and writes it back after its own change:
    // the items are derived as without it, the devices and deletion records still count.
    struct Case {
        const char* what;
        std::function<void(test::CCoreWorld&)> change;
        bool stale;
    };
    const Case cases[] = {
        {"nothing changed", [](test::CCoreWorld&) {}, false},
        {"an entry added", [](test::CCoreWorld& w) { w.Root().Articles()[0]->AddEntry(148000, 1); },
         true},
        {"an article moved to another group",
         [](test::CCoreWorld& w) {
             CExpenseGroup& g = *w.Root().Groups()[0];
             w.Root().AttachChild(g.DetachChild(g.Articles()[0].get()));
         },
         true},
        {"an entry taken back",
         [](test::CCoreWorld& w) { w.Root().Articles()[0]->Days().Find(148002)->RemoveAt(0); },
         true},
        {"a deposit recorded",
         [](test::CCoreWorld& w) {
             w.m_doc.Movements().Insert(
                 1, {148000, nullptr, w.m_doc.Accounts().GetAt(1), 1, false, {}, {}, kNoId, {}});
         },
         true},
    };
    for (const Case& c : cases) {
        test::CCoreWorld w;
        MakeDocument(w);
        const std::string records = RecordsOf(w.m_doc);
        const std::string items = ItemIdsOf(w.m_doc);
        const KeptSection kept{kIdentitySection,
                               WriteIdentitySection(w.Root(), w.m_doc.Accounts(),
                                                    w.m_doc.Movements().Items(), w.m_doc.Notes(),
                                                    w.m_doc.Ids())};
        c.change(w);
        const auto write = [&w](std::span<const KeptSection> sections) {
            return WriteDataFile(w.m_doc.Accounts(), w.Root(), w.m_doc.Notes(),
                                 w.m_doc.Movements().Items(), sections);
        };
        test::CCoreWorld withSection;
        test::CCoreWorld without;
        std::string error;
        ASSERT_TRUE(withSection.m_doc.Load(write({&kept, 1}), error)) << c.what << ": " << error;
        ASSERT_TRUE(without.m_doc.Load(write({}), error)) << c.what << ": " << error;
        EXPECT_EQ(RecordsOf(withSection.m_doc), records) << c.what;
        if (c.stale) {
            EXPECT_EQ(ItemIdsOf(withSection.m_doc), ItemIdsOf(without.m_doc)) << c.what;
        } else {
            EXPECT_EQ(ItemIdsOf(withSection.m_doc), items) << c.what;
        }
    }
}

// A section by hand: a varint at a time.
// The tree of the world with sections of this id, written and read into the copy; the reason
// where it is refused.
bool LoadWith(test::CCoreWorld& w, std::uint32_t id,
              const std::vector<std::vector<std::uint8_t>>& payloads, test::CCoreWorld& copy,
              std::string& error) {
    std::vector<KeptSection> sections;
    for (const auto& payload : payloads) {
        sections.push_back({id, payload});
    }
    return copy.m_doc.Load(
        WriteDataFile(w.m_doc.Accounts(), w.Root(), w.m_doc.Notes(), {}, sections), error);
}

class CPayload final {
public:
    CPayload& U(std::uint64_t v) {
        while (v >= 0x80) {
            m_bytes.push_back(static_cast<std::uint8_t>(v | 0x80));
            v >>= 7U;
        }
        m_bytes.push_back(static_cast<std::uint8_t>(v));
        return *this;
    }
    CPayload& Fixed(std::uint64_t v) {
        for (int i = 0; i < 8; ++i) {
            m_bytes.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
        }
        return *this;
    }
    CPayload& Raw(std::span<const std::uint8_t> bytes) {
        m_bytes.insert(m_bytes.end(), bytes.begin(), bytes.end());
        return *this;
    }
    [[nodiscard]] const std::vector<std::uint8_t>& Bytes() const { return m_bytes; }

private:
    std::vector<std::uint8_t> m_bytes;
};

TEST(IdentitySection, DamageIsRefusedNamingItsFault) {
    // Every malformed part of the section makes the file damaged, for its own reason.
    // The tree: the root and an article of two entries on one day, no accounts.
    test::CCoreWorld w;
    CExpenseArticle* a = w.Root().AddArticle(u"a");
    a->AddEntry(148000, 5);
    a->AddEntry(148000, 6);
    // Its fingerprint, as the writer gives it: seven numbers and a word after the table.
    const std::vector<std::uint8_t> written = WriteIdentitySection(
        w.Root(), w.m_doc.Accounts(), w.m_doc.Movements().Items(), w.m_doc.Notes(), CLedgerIds{});
    std::size_t end = 2; // past the layout and the empty table
    for (int i = 0; i < 7; ++i) {
        while ((written[end++] & 0x80) != 0) {
        }
    }
    const std::span<const std::uint8_t> fingerprint(written.data() + 2, end + 8 - 2);
    constexpr std::uint64_t kDevice = 0xD0D0;
    const auto made = [](std::uint64_t slot, std::uint64_t seq) { return seq << 16U | slot << 1U; };
    struct Parts {
        std::uint64_t layout = 1;
        std::vector<std::uint64_t> devices{kDevice};
        bool fingerprint = true;
        std::vector<std::uint64_t> nodes; // per node: id code, stamp slot, time, slot, time
        std::vector<std::uint64_t> runs;
        std::vector<std::uint64_t> stamps{0};
        std::vector<std::uint64_t> records{0, 0, 0, 0};
        std::vector<std::uint8_t> tail;
    };
    const auto payload = [&](const Parts& p) {
        CPayload out;
        out.U(p.layout).U(p.devices.size());
        for (const std::uint64_t d : p.devices) {
            out.Fixed(d);
        }
        if (p.fingerprint) {
            out.Raw(fingerprint);
        }
        for (const auto* part : {&p.nodes, &p.runs}) {
            CPayload inner;
            for (const std::uint64_t v : *part) {
                inner.U(v);
            }
            if (part == &p.runs) {
                out.U(inner.Bytes().size());
            }
            out.Raw(inner.Bytes());
        }
        for (const auto* part : {&p.stamps, &p.records}) {
            for (const std::uint64_t v : *part) {
                out.U(v);
            }
        }
        return out.Raw(p.tail).Bytes();
    };
    Parts good;
    good.nodes = {made(1, 1), 1, 5, 0, 0, made(1, 2), 1, 6, 0, 0};
    good.runs = {(1U << 2U) | 2U, 1, 2 * 3, 2 * 1}; // seqs 3 and 4 of slot 1
    const auto with = [&good](const std::function<void(Parts&)>& change) {
        Parts p = good;
        change(p);
        return p;
    };
    struct Case {
        const char* what;
        std::vector<std::vector<std::uint8_t>> sections;
        const char* reason; // null: no damage
    };
    const std::vector<std::uint8_t> sound = payload(good);
    const Case cases[] = {
        {"a sound section", {sound}, nullptr},
        {"two sections", {sound, sound}, "two sections of identities"},
        {"a later layout",
         {payload(with([](Parts& p) { p.layout = 2; }))},
         "identities of an unknown layout 2"},
        {"a device 0",
         {payload(with([](Parts& p) { p.devices = {0}; }))},
         "a device id 0 in the identities' table"},
        {"a device twice",
         {payload(with([](Parts& p) {
             p.devices = {kDevice, kDevice};
         }))},
         "a device named twice in the identities' table"},
        {"more devices counted than held",
         {CPayload().U(1).U(1000).Fixed(1).Bytes()},
         "a count in the identities beyond the section"},
        {"cut inside a number",
         {std::vector<std::uint8_t>(sound.begin(), sound.end() - 1)},
         "identities cut short"},
        {"a number past 64 bits",
         {CPayload().U(1).Raw(std::vector<std::uint8_t>(10, 0xFF)).U(1).Bytes()},
         "a number in the identities past 64 bits"},
        {"a fingerprint of no node",
         {payload(with([](Parts& p) {
             p.fingerprint = false;
             p.nodes = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
         }))},
         "an identities' fingerprint no tree can have"},
        {"an id of a slot past the table",
         {payload(with([&](Parts& p) { p.nodes[0] = made(2, 1); }))},
         "an id of a device the identities' table does not hold"},
        {"a stamp of a slot past the table",
         {payload(with([](Parts& p) { p.nodes[1] = 2; }))},
         "a stamp of a device the identities' table does not hold"},
        {"a node id twice",
         {payload(with([&](Parts& p) { p.nodes[5] = made(1, 1); }))},
         "an id given twice in the identities"},
        {"an expense id twice",
         {payload(with([](Parts& p) { p.runs[3] = 0; }))},
         "an expense id given twice in the identities"},
        {"a made id from slot 0 sequence 0",
         {payload(with([](Parts& p) {
             p.runs = {(1U << 2U) | 2U, 0, 0, 2};
         }))},
         "an expense id out of range"},
        {"ids for one entry of two",
         {payload(with([](Parts& p) {
             p.runs = {2U, 1, 2};
         }))},
         "expense ids for fewer entries than the tree holds"},
        {"ids for three entries of two",
         {payload(with([](Parts& p) {
             p.runs = {(2U << 2U) | 2U, 1, 2, 2, 2};
         }))},
         "expense ids for more entries than the tree holds"},
        {"a run of the last device before any",
         {payload(with([](Parts& p) {
             p.runs = {(1U << 2U) | 1U, 2, 2};
         }))},
         "expense ids of a device not yet named"},
        {"stamps of an entry past the tree",
         {payload(with([](Parts& p) {
             p.stamps = {1, 2, 1, 1, 5};
         }))},
         "expense stamps of an entry the tree does not hold"},
        {"stamps of no field",
         {payload(with([](Parts& p) {
             p.stamps = {1, 0, 0};
         }))},
         "expense stamps of no field or of unknown ones"},
        {"a deletion record of no item",
         {payload(with([](Parts& p) { p.records = {1, 0, 1, 5, 0, 0, 0}; }))},
         "a deletion record of no item"},
        {"a node buried twice",
         {payload(with([&](Parts& p) {
             p.records = {0, 2, made(1, 9), 1, 5, 0, made(1, 9), 1, 6, 0, 0, 0};
         }))},
         "an id given twice in the identities"},
        {"bytes after the records",
         {payload(with([](Parts& p) { p.tail = {0}; }))},
         "bytes after the identities"},
    };
    for (const Case& c : cases) {
        test::CCoreWorld copy;
        std::string error;
        const bool loaded = LoadWith(w, kIdentitySection, c.sections, copy, error);
        if (c.reason == nullptr) {
            EXPECT_TRUE(loaded) << c.what << ": " << error;
            EXPECT_EQ(copy.Root().Articles()[0]->Days().Find(148000)->GetAt(1).m_nId,
                      MakeItemId(1, 4))
                << c.what;
        } else {
            EXPECT_FALSE(loaded) << c.what;
            EXPECT_EQ(error, c.reason) << c.what;
        }
    }
}

TEST(IdentitySection, IdsRecordedDayByDayCostAtMostTwoBytesAnEntry) {
    // Made ids stored as the differences along the file's order of articles and days stay
    // small, as entries are recorded day by day on one device.
    test::CCoreWorld w;
    std::vector<CExpenseArticle*> articles;
    for (int i = 0; i < 20; ++i) {
        articles.push_back(w.Root().AddArticle(std::u16string(1, static_cast<char16_t>(u'a' + i))));
    }
    constexpr int kEntries = 20000;
    std::uint64_t mix = 1;
    for (int i = 0; i < kEntries; ++i) {
        mix = mix * 6364136223846793005ULL + 1442695040888963407ULL;
        const std::size_t article = (mix >> 33U) % (1 + (mix >> 40U) % articles.size());
        articles[article]->AddEntry(148000 + static_cast<DayNumber>(i / 30),
                                    static_cast<Amount>(mix >> 50U), nullptr, kNoNote,
                                    w.m_doc.Ids().NewId());
    }
    w.m_doc.CompleteIds();
    const std::vector<std::uint8_t> section =
        WriteIdentitySection(w.Root(), w.m_doc.Accounts(), {}, w.m_doc.Notes(), w.m_doc.Ids());
    EXPECT_LT(section.size(), 2U * kEntries);
}

// What deletion records remember and a merge keeps, each kind as text, in id order.
std::string RememberedOf(const CLedgerIds& ids) {
    std::ostringstream out;
    out << std::hex;
    const std::map<ItemId, ExpenseLast> expenses(ids.m_lastExpenses.begin(),
                                                 ids.m_lastExpenses.end());
    for (const auto& [id, e] : expenses) {
        out << "expense " << id << ' ' << e.article << ' ' << e.day << ' ' << e.amount << ' '
            << e.account << ' ' << e.note.size() << ' ' << Text(e.stamps.place) << ' '
            << Text(e.stamps.amount) << ' ' << Text(e.stamps.account) << ' ' << Text(e.stamps.note)
            << ' ' << Text(e.spentBy) << '\n';
    }
    for (const NodeLast& n : ids.m_lastNodes) {
        out << "node " << n.id << ' ' << n.parent << ' ' << n.group << ' ' << n.name.size() << ' '
            << Text(n.nameStamp) << ' ' << Text(n.placeStamp) << '\n';
    }
    for (const AccountLast& a : ids.m_lastAccounts) {
        out << "account " << a.id << ' ' << a.name.size() << ' ' << a.opening << ' '
            << Text(a.created) << ' ' << Text(a.nameStamp) << ' ' << Text(a.openingStamp) << '\n';
    }
    for (const MovementLast& m : ids.m_parkedMovements) {
        out << "parked " << m.id << ' ' << Text(m.created) << ' ' << m.day << ' ' << m.from << ' '
            << m.to << ' ' << m.amount << ' ' << m.transfer << ' ' << m.note.size() << ' '
            << m.goneName.size() << '\n';
    }
    for (const auto* held : {&ids.m_goneAccountOf, &ids.m_movedFrom, &ids.m_placedFrom}) {
        const std::map<ItemId, CLedgerIds::HeldId> sorted(held->begin(), held->end());
        for (const auto& [id, h] : sorted) {
            out << "held " << id << ' ' << h.id << ' ' << Text(h.stamp) << '\n';
        }
        out << "--\n";
    }
    const std::map<ItemId, ItemId> sides(ids.m_goneSides.begin(), ids.m_goneSides.end());
    for (const auto& [id, account] : sides) {
        out << "side " << id << ' ' << account << '\n';
    }
    return out.str();
}

TEST(RecordsSection, WhatRecordsRememberComesBackAsWritten) {
    // Store then load gives every remembered record again, an amount past 32 bits included,
    // and a second store the same bytes; a record of an
    // expense no deletion record names (undone by a program that kept the section unread) is
    // left out.
    test::CCoreWorld original;
    MakeDocument(original);
    CLedgerIds& ids = original.m_doc.Ids();
    const DeviceId third{0xC0C0'0000'0000'0003ULL};
    (void)ids.SlotFor(third); // as a merge names every device its stamps name
    const ItemId gone = MakeItemId(ids.SlotFor(kOther).value(), 99);
    ids.m_lastExpenses[gone] = {DerivedId(4),
                                148000,
                                -12,
                                original.m_doc.Accounts().GetAt(0)->m_nId,
                                u"обед",
                                {CStamp(5, 0, third), {}, {}, CStamp(6, 1, kOther), {}},
                                ids.m_goneExpenses[gone]};
    ids.m_lastExpenses[MakeItemId(1, 12345)] = {}; // its deletion undone
    ids.m_lastNodes.push_back(
        {ids.m_goneNodes[0].id, DerivedId(9), true, u"Кафе", CStamp(7, 0, third), {}});
    ids.m_lastAccounts.push_back({DerivedId(5), u"Старый", -(std::int64_t{1} << 40), {}, {}, {}});
    ids.m_parkedMovements.push_back({MakeItemId(1, 60), CStamp(12, 0, third), 148000, kNoId,
                                     DerivedId(5), 9, false, u"", u"Старый"});
    ids.m_goneAccountOf[MakeItemId(1, 61)] = {DerivedId(5), CStamp(13, 0, third)};
    ids.m_movedFrom[MakeItemId(1, 62)] = {DerivedId(4), {}};
    ids.m_placedFrom[MakeItemId(1, 63)] = {DerivedId(4), CStamp(14, 0, third)};
    ids.m_goneSides[MakeItemId(1, 64)] = DerivedId(5);
    const std::vector<std::uint8_t> bytes = original.m_doc.Store();
    ids.m_lastExpenses.erase(MakeItemId(1, 12345));

    test::CCoreWorld copy;
    std::string error;
    ASSERT_TRUE(copy.m_doc.Load(bytes, error)) << error;
    EXPECT_EQ(RememberedOf(copy.m_doc.Ids()), RememberedOf(ids));
    EXPECT_TRUE(copy.m_doc.Ids().Valid());
    EXPECT_EQ(copy.m_doc.Store(), original.m_doc.Store());
}

TEST(RecordsSection, DamageIsRefusedNamingItsFault) {
    // Every malformed part of the section makes the file damaged, for its own reason.
    test::CCoreWorld w;
    w.Root().AddArticle(u"a")->AddEntry(148000, 5);
    // One expense's record (id, article, day, amount, account, note, stamp mask), then empty
    // lists.
    const auto payload = [](std::uint64_t layout, std::vector<std::uint64_t> expense,
                            std::vector<std::uint8_t> tail = {}) {
        CPayload out;
        out.U(layout).U(1).Fixed(0xD0D0).U(1);
        for (const std::uint64_t v : expense) {
            out.U(v);
        }
        for (int list = 0; list < 7; ++list) {
            out.U(0);
        }
        return out.Raw(tail).Bytes();
    };
    const std::vector<std::uint64_t> record{9 << 16U | 2, 0, 148000, 10, 0, 0, 0};
    const std::vector<std::uint8_t> sound = payload(1, record);
    const auto changed = [&](std::size_t at, std::uint64_t value) {
        std::vector<std::uint64_t> r = record;
        r[at] = value;
        return payload(1, r);
    };
    struct Case {
        const char* what;
        std::vector<std::vector<std::uint8_t>> sections;
        const char* reason; // null: no damage
    };
    const Case cases[] = {
        {"a sound section", {sound}, nullptr},
        {"two sections", {sound, sound}, "two sections of remembered records"},
        {"a later layout", {payload(2, record)}, "remembered records of an unknown layout 2"},
        {"a record of no item", {changed(0, 0)}, "a remembered record of no item"},
        {"a day past 9999",
         {changed(2, kLastValidDay + 1)},
         "a day in the remembered records past 9999"},
        {"an amount past 32 bits",
         {changed(3, std::uint64_t{1} << 33U)},
         "an amount in the remembered records out of range"},
        {"stamps of unknown fields", {changed(6, 32)}, "remembered stamps of unknown fields"},
        {"cut short",
         {std::vector<std::uint8_t>(sound.begin(), sound.end() - 1)},
         "identities cut short"},
        {"bytes after the records",
         {payload(1, record, {0})},
         "bytes after the remembered records"},
    };
    for (const Case& c : cases) {
        test::CCoreWorld copy;
        std::string error;
        const bool loaded = LoadWith(w, kRecordsSection, c.sections, copy, error);
        if (c.reason == nullptr) {
            EXPECT_TRUE(loaded) << c.what << ": " << error;
        } else {
            EXPECT_FALSE(loaded) << c.what;
            EXPECT_EQ(error, c.reason) << c.what;
        }
    }
}

TEST(IdentitySection, IdsDecodedWhileTheTreeIsReadAreTheOnesTheTreeEndsAt) {
    // The ids found at the file's end before the tree is read count only where the tree ends
    // at their block; a large section, decoded on a thread of its own, reads as a small one.
    test::CCoreWorld w;
    CExpenseArticle* a = w.Root().AddArticle(u"a");
    CExpenseArticle* b = w.Root().AddArticle(u"b");
    constexpr int kEntries = 60000; // far apart ids: the runs take more than a thread's worth
    for (int i = 0; i < kEntries; ++i) {
        (i % 3 == 0 ? b : a)
            ->AddEntry(
                148000 + static_cast<DayNumber>(i % 500), i, nullptr, kNoNote,
                MakeItemId(1, 1 + static_cast<std::uint64_t>(i % 2 == 0 ? i : kEntries - i) * 7));
    }
    w.m_doc.CompleteIds();
    const std::vector<std::uint8_t> bytes = w.m_doc.Store();
    const std::string stored = ItemIdsOf(w.m_doc);

    test::CCoreWorld copy;
    std::string error;
    ASSERT_TRUE(copy.m_doc.Load(bytes, error)) << error;
    EXPECT_EQ(ItemIdsOf(copy.m_doc), stored);
    const test::CTempDir dir;
    ASSERT_TRUE(test::WriteBytes(dir.Path() / "QZData.dat", bytes));
    test::CCoreWorld fromFile;
    Reason reason;
    ASSERT_EQ(fromFile.m_doc.LoadFile(dir.Path() / "QZData.dat", reason), FileLoad::Loaded);
    EXPECT_EQ(ItemIdsOf(fromFile.m_doc), stored);

    // A byte that is no block's marker after the tree: the block behind it is only bytes, as
    // everything after a tree that is no block always was, and the ids are derived.
    const std::vector<std::uint8_t> marker(kExtensionMarker.begin(), kExtensionMarker.end());
    const auto block = std::find_end(bytes.begin(), bytes.end(), marker.begin(), marker.end());
    std::vector<std::uint8_t> shifted(bytes.begin(), block);
    shifted.push_back('x');
    shifted.insert(shifted.end(), block, bytes.end());
    test::CCoreWorld apart;
    ASSERT_TRUE(apart.m_doc.Load(shifted, error)) << error;
    EXPECT_EQ(apart.Root().Articles()[0]->Days().Find(148000)->GetAt(0).m_nId, kNoId);
}

TEST(MemorySection, TheImportMemoryComesBackAsWritten) {
    // Store then load gives the rules in their order with ids, keys and stamps, the deleted
    // rules' records and the bank ids per account again, ids of another device included, and a
    // second store the same bytes; the next id made follows the rules'.
    test::CCoreWorld original;
    MakeDocument(original);
    CVerdalonDoc& doc = original.m_doc;
    CStatementMemory& memory = doc.StatementMemory();
    const ItemId card = doc.Accounts().GetAt(0)->m_nId;
    const ItemId derived = doc.Accounts().GetAt(1)->m_nId;
    const auto add = [&](std::vector<std::u16string> words, ItemId article) {
        auto change = std::make_unique<CAddRule>(memory, doc.Ids(),
                                                 StatementRule{std::move(words), article, {}, {}});
        const ItemId id = change->Id();
        doc.MakeChange(std::move(change));
        return id;
    };
    const ItemId theirs = MakeItemId(doc.Ids().SlotFor(kOther).value(), 3);
    add({u"магнит"}, theirs);
    const ItemId ranged = add({u"яндекс", u"такси"}, DerivedId(7));
    doc.MakeChange(std::make_unique<CChangeRule>(
        memory, doc.Ids(), ranged, std::vector<std::u16string>{u"такси"}, DerivedId(7), 100, 2000));
    doc.MakeChange(std::make_unique<CDeleteRule>(memory, doc.Ids(), add({u"аптека"}, theirs)));
    memory.Remember(card, u"FIT-1");
    memory.Remember(card, u"FIT-2");
    memory.Remember(derived, u"№ 77");
    const std::vector<std::uint8_t> bytes = doc.Store();

    test::CCoreWorld copy;
    std::string error;
    ASSERT_TRUE(copy.m_doc.Load(bytes, error)) << error;
    EXPECT_TRUE(copy.m_doc.StatementMemory() == memory);
    EXPECT_TRUE(copy.m_doc.IdsValid());
    EXPECT_EQ(copy.m_doc.Store(), bytes);
    EXPECT_GT(copy.m_doc.Ids().NewId(), memory.GoneRules().at(0).last.id);
}

TEST(MemorySection, ARuleWithoutIdOrPlaceIsGivenThemInTheFile) {
    // A rule put in the list without the changes (no id, no key) is saved all the same: read
    // back with its derived id, the next the same, and a key between its neighbours'.
    test::CCoreWorld w;
    CStatementMemory& memory = w.m_doc.StatementMemory();
    for (const char16_t* word : {u"магнит", u"кафе"}) {
        w.m_doc.MakeChange(std::make_unique<CAddRule>(memory, w.m_doc.Ids(),
                                                      StatementRule{{word}, DerivedId(1), {}, {}}));
    }
    memory.Rules().Insert(1, {{u"такси"}, DerivedId(2), {}, {}});
    test::CCoreWorld copy;
    std::string error;
    ASSERT_TRUE(copy.m_doc.Load(w.m_doc.Store(), error)) << error;
    const std::vector<StatementRule>& rules = copy.m_doc.StatementMemory().Rules().Rules();
    ASSERT_EQ(rules.size(), 3U);
    EXPECT_EQ(rules[1].id, DerivedRuleId(rules[1], 1));
    EXPECT_TRUE(rules[0].place < rules[1].place && rules[1].place < rules[2].place);
    EXPECT_TRUE(copy.m_doc.IdsValid());
    EXPECT_EQ(copy.m_doc.Store(), w.m_doc.Store());
}

TEST(MemorySection, AFileWithoutRulesOrBankIdsIsTheOneWrittenWithoutTheMemory) {
    // No rules, deleted rules or bank ids: not a byte more than a file of the program before.
    test::CCoreWorld w;
    MakeDocument(w);
    EXPECT_EQ(w.m_doc.Store(), WriteDataFile(w.m_doc.Accounts(), w.Root(), w.m_doc.Notes(),
                                             w.m_doc.Movements().Items(), {}, &w.m_doc.Ids()));
    w.m_doc.StatementMemory().Remember(DerivedId(1), u"x");
    EXPECT_NE(w.m_doc.Store(), WriteDataFile(w.m_doc.Accounts(), w.Root(), w.m_doc.Notes(),
                                             w.m_doc.Movements().Items(), {}, &w.m_doc.Ids()));
}

TEST(MemorySection, ANewDocumentOrAFileWithoutItHasNone) {
    // The memory goes with the ledger it belongs to: a file read without one, or a new
    // document, leaves none of the last one's.
    test::CCoreWorld w;
    const std::vector<std::uint8_t> without = w.m_doc.Store();
    for (const bool fresh : {false, true}) {
        w.m_doc.StatementMemory().Remember(DerivedId(1), u"FIT");
        std::string error;
        ASSERT_TRUE(fresh ? w.m_doc.OnNewDocument("/nonexistent/QZData.dat")
                          : w.m_doc.Load(without, error))
            << error;
        EXPECT_TRUE(w.m_doc.StatementMemory().empty()) << fresh;
    }
}

TEST(MemorySection, DamageIsRefusedNamingItsFault) {
    // Every malformed part of the section makes the file damaged, for its own reason.
    test::CCoreWorld w;
    w.Root().AddArticle(u"a")->AddEntry(148000, 5);
    // One rule (id, article, range mask, its ends, words and their units, the key's length and
    // bytes, four stamps), then deleted rules, then one account's bank ids.
    struct Rule {
        std::vector<std::uint64_t> head{9 << 16U | 2, 0, 0}; // id, article, mask and ends
        std::vector<std::u16string> words{u"кафе"};
        std::vector<std::uint8_t> key{0x80};
    };
    const auto payload = [](std::uint64_t layout, const Rule& rule, std::uint64_t gone,
                            std::vector<std::u16string> bankIds,
                            std::vector<std::uint8_t> tail = {}) {
        CPayload out;
        out.U(layout).U(1).Fixed(0xD0D0).U(1);
        for (const std::uint64_t v : rule.head) {
            out.U(v);
        }
        const auto text = [&out](const std::u16string& t) {
            out.U(t.size());
            for (const char16_t c : t) {
                out.U(c);
            }
        };
        out.U(rule.words.size());
        std::for_each(rule.words.begin(), rule.words.end(), text);
        out.U(rule.key.size()).Raw(rule.key);
        for (int stamp = 0; stamp < 4; ++stamp) {
            out.U(1).U(std::uint64_t{5} << 16U);
        }
        out.U(gone).U(1).U(1 << 16U | 2).U(bankIds.size());
        std::for_each(bankIds.begin(), bankIds.end(), text);
        return out.Raw(tail).Bytes();
    };
    const auto with = [&](auto change) {
        Rule rule;
        change(rule);
        return payload(1, rule, 0, {u"FIT"});
    };
    const std::vector<std::uint8_t> sound = with([](Rule&) {});
    struct Case {
        const char* what;
        std::vector<std::vector<std::uint8_t>> sections;
        const char* reason; // null: no damage
    };
    const Case cases[] = {
        {"a sound section", {sound}, nullptr},
        {"two sections", {sound, sound}, "two sections of import records"},
        {"a later layout", {payload(2, {}, 0, {u"FIT"})}, "import records of an unknown layout 2"},
        {"a rule of no id",
         {with([](Rule& r) { r.head[0] = 0; })},
         "a rule of no id in the import records"},
        {"a range of an unknown kind",
         {with([](Rule& r) { r.head[2] = 4; })},
         "a rule's range of an unknown kind in the import records"},
        {"least above most",
         {with([](Rule& r) {
             r.head = {9 << 16U | 2, 0, 3, 6, 5};
         })},
         "a rule whose least amount is above its most in the import records"},
        {"an amount past 31 bits",
         {with([](Rule& r) {
             r.head = {9 << 16U | 2, 0, 1, std::uint64_t{1} << 31U};
         })},
         "a rule's amount in the import records out of range"},
        {"an empty word",
         {with([](Rule& r) { r.words = {u""}; })},
         "an empty or overlong word in the import records"},
        {"a key ending in 0",
         {with([](Rule& r) {
             r.key = {0x80, 0};
         })},
         "a rule's place in the import records the program never gives"},
        {"a bank id twice",
         {payload(1, {}, 0, {u"FIT", u"FIT"})},
         "a bank id twice in the import records"},
        {"an account without bank ids",
         {payload(1, {}, 0, {})},
         "an account without bank ids in the import records"},
        {"cut short in a bank id",
         {std::vector<std::uint8_t>(sound.begin(), sound.end() - 1)},
         "a count in the identities beyond the section"},
        {"bytes after the records",
         {payload(1, {}, 0, {u"FIT"}, {0})},
         "bytes after the import records"},
    };
    for (const Case& c : cases) {
        test::CCoreWorld copy;
        std::string error;
        const bool loaded = LoadWith(w, kMemorySection, c.sections, copy, error);
        if (c.reason == nullptr) {
            EXPECT_TRUE(loaded) << c.what << ": " << error;
            EXPECT_EQ(copy.m_doc.StatementMemory().Rules().Rules().size(), 1U) << c.what;
        } else {
            EXPECT_FALSE(loaded) << c.what;
            EXPECT_EQ(error, c.reason) << c.what;
        }
    }
}

TEST(BankItemsSection, ItemsReadBackAsWrittenAndAFileWithoutThemIsTheOneBefore) {
    // The items of bank ids (of this device, another and derived) come back as written, their
    // bytes again the same; without any, the file is byte for byte the one without the section.
    test::CCoreWorld w;
    MakeDocument(w);
    CStatementMemory& memory = w.m_doc.StatementMemory();
    const ItemId card = w.m_doc.Accounts().GetAt(0)->m_nId;
    const ItemId derived = w.m_doc.Accounts().GetAt(1)->m_nId;
    memory.Remember(card, u"FIT-1");
    memory.Remember(derived, u"№ 2");
    const std::vector<std::uint8_t> without = w.m_doc.Store();
    const std::vector<RecordedBankId> pairs = {
        {card, u"FIT-1", MakeItemId(w.m_doc.Ids().SlotFor(kOther).value(), 5)},
        {card, u"FIT-1", DerivedId(4)},
        {card, u"FIT-9", w.m_doc.Ids().NewId()},
        {derived, u"№ 2", DerivedId(5)},
    };
    for (const RecordedBankId& pair : pairs) {
        memory.RememberItem(pair);
    }
    const std::vector<std::uint8_t> bytes = w.m_doc.Store();
    EXPECT_NE(bytes, without);
    test::CCoreWorld copy;
    std::string error;
    ASSERT_TRUE(copy.m_doc.Load(bytes, error)) << error;
    EXPECT_TRUE(copy.m_doc.StatementMemory() == memory);
    EXPECT_EQ(copy.m_doc.Store(), bytes);
    for (const RecordedBankId& pair : pairs) {
        memory.ForgetItem(pair);
    }
    EXPECT_EQ(w.m_doc.Store(), without);
}

TEST(BankItemsSection, DamageIsRefusedNamingItsFault) {
    // Every malformed part of the section makes the file damaged, for its own reason.
    test::CCoreWorld w;
    w.Root().AddArticle(u"a")->AddEntry(148000, 5);
    constexpr std::uint64_t kMade = 9 << 16U | 2; // a made id of the section's one device
    // One account's bank ids, each with its items.
    const auto payload = [](std::uint64_t layout, std::uint64_t account,
                            std::vector<std::pair<std::u16string, std::vector<std::uint64_t>>> ids,
                            std::vector<std::uint8_t> tail = {}) {
        CPayload out;
        out.U(layout).U(1).Fixed(0xD0D0).U(1).U(account).U(ids.size());
        for (const auto& [bankId, items] : ids) {
            out.U(bankId.size());
            for (const char16_t c : bankId) {
                out.U(c);
            }
            out.U(items.size());
            for (const std::uint64_t item : items) {
                out.U(item);
            }
        }
        return out.Raw(tail).Bytes();
    };
    const std::vector<std::uint8_t> sound = payload(1, kMade, {{u"FIT", {kMade, 3}}});
    struct Case {
        const char* what;
        std::vector<std::vector<std::uint8_t>> sections;
        const char* reason; // null: no damage
    };
    const Case cases[] = {
        {"a sound section", {sound}, nullptr},
        {"two sections", {sound, sound}, "two sections of bank ids' items"},
        {"a later layout", {payload(2, kMade, {})}, "bank ids' items of an unknown layout 2"},
        {"an account of no id",
         {payload(1, 0, {{u"FIT", {kMade}}})},
         "a bank id's account of no id"},
        {"an account without bank ids",
         {payload(1, kMade, {}, {0, 0, 0, 0, 0})},
         "an account without bank ids in the bank ids' items"},
        {"an empty bank id",
         {payload(1, kMade, {{u"", {kMade}}})},
         "an empty or overlong bank id in the import records"},
        {"a bank id without items",
         {payload(1, kMade, {{u"FIT", {}}}, {0})},
         "a bank id without items in the bank ids' items"},
        {"an item of no id", {payload(1, kMade, {{u"FIT", {0}}})}, "a bank id's item of no id"},
        {"an item twice",
         {payload(1, kMade, {{u"FIT", {kMade, kMade}}})},
         "a bank id's item twice in the bank ids' items"},
        {"bytes after the items",
         {payload(1, kMade, {{u"FIT", {kMade}}}, {0})},
         "bytes after the bank ids' items"},
    };
    for (const Case& c : cases) {
        test::CCoreWorld copy;
        std::string error;
        const bool loaded = LoadWith(w, kBankItemsSection, c.sections, copy, error);
        if (c.reason == nullptr) {
            EXPECT_TRUE(loaded) << c.what << ": " << error;
            EXPECT_EQ(copy.m_doc.StatementMemory().RecordedItems().size(), 2U) << c.what;
        } else {
            EXPECT_FALSE(loaded) << c.what;
            EXPECT_EQ(error, c.reason) << c.what;
        }
    }
}

TEST(CsvSection, TheReadingsComeBackAsWrittenAndAloneWriteNoImportRecords) {
    // Every column and setting, another device's stamp and a reading an undo forgot come back
    // as written, the same bytes stored again and the clock past their stamps; without rules or
    // bank ids the file holds no import records (section 5), which would name nothing.
    test::CCoreWorld original;
    MakeDocument(original);
    CVerdalonDoc& doc = original.m_doc;
    const CsvMemo full{{2, -1, 5, 6, 3, 1, 7, 0}, // every column but the amount
                       {TextEncoding::Cp1251, u';', u',', DateForm::DayMonthYearSlashes, 2, 0},
                       CStamp(1'900'000'000'000, 9, kOther)};
    doc.StatementMemory().SetCsv(doc.Accounts().GetAt(0)->m_nId, full);
    doc.StatementMemory().SetCsv(DerivedId(42), {{}, {}, doc.Ids().Stamp()});
    const std::vector<std::uint8_t> bytes = doc.Store();

    test::CCoreWorld copy;
    std::string error;
    ASSERT_TRUE(copy.m_doc.Load(bytes, error)) << error;
    EXPECT_TRUE(copy.m_doc.StatementMemory() == doc.StatementMemory());
    EXPECT_EQ(copy.m_doc.StatementMemory().CsvOf(DerivedId(42)), nullptr);
    EXPECT_EQ(copy.m_doc.Store(), bytes);
    EXPECT_GT(copy.m_doc.Ids().Stamp(), full.stamp);
    EXPECT_TRUE(WriteMemorySection(doc.StatementMemory(), doc.Ids()).empty());
}

TEST(CsvSection, DamageIsRefusedNamingItsFault) {
    // Every malformed reading makes the file damaged, for its own reason.
    test::CCoreWorld w;
    w.Root().AddArticle(u"a")->AddEntry(148000, 5);
    // One reading: account, stamp, eight columns from 1, encoding, delimiter, decimal, date
    // form, rows before.
    const auto payload = [](std::vector<std::uint64_t> columns, std::uint64_t delimiter = u';',
                            std::uint64_t account = 2 * 5 + 1, std::size_t count = 1) {
        CPayload out;
        out.U(1).U(1).Fixed(0xD0D0).U(count);
        for (std::size_t i = 0; i < count; ++i) {
            out.U(account).U(1).U(std::uint64_t{5} << 16U);
            for (const std::uint64_t c : columns) {
                out.U(c);
            }
            out.U(2).U(delimiter).U(u',').U(0).U(1);
        }
        return out.Bytes();
    };
    const std::vector<std::uint64_t> sound{1, 3, 0, 0, 2, 0, 0, 0};
    struct Case {
        const char* what;
        std::vector<std::vector<std::uint8_t>> sections;
        const char* reason; // null: no damage
    };
    const Case cases[] = {
        {"a sound section", {payload(sound)}, nullptr},
        {"two sections", {payload(sound), payload(sound)}, "two sections of CSV readings"},
        {"an account twice",
         {payload(sound, u';', 11, 2)},
         "a CSV reading remembered with an account given twice"},
        {"no description",
         {payload({1, 3, 0, 0, 0, 0, 0, 0})},
         "a CSV reading remembered with columns no statement can be read by"},
        {"a delimiter never offered",
         {payload(sound, u'|')},
         "a CSV reading remembered with a setting the program never gives"},
    };
    for (const Case& c : cases) {
        test::CCoreWorld copy;
        std::string error;
        const bool loaded = LoadWith(w, kCsvSection, c.sections, copy, error);
        if (c.reason == nullptr) {
            EXPECT_TRUE(loaded) << c.what << ": " << error;
            EXPECT_EQ(copy.m_doc.StatementMemory().AllCsv().size(), 1U) << c.what;
        } else {
            EXPECT_FALSE(loaded) << c.what;
            EXPECT_EQ(error, c.reason) << c.what;
        }
    }
}

TEST(ScheduleSection, SchedulesComeBackAsWritten) {
    // Store then load gives the schedules with their ids, terms, stamps and occurrences' marks,
    // the deleted ones' records, ids of another device included, and a second store the same
    // bytes; the next id made follows theirs.
    test::CCoreWorld original;
    MakeDocument(original);
    CVerdalonDoc& doc = original.m_doc;
    CScheduleBook& book = doc.Schedules();
    const ItemId card = doc.Accounts().GetAt(0)->m_nId;
    const ItemId theirs = MakeItemId(doc.Ids().SlotFor(kOther).value(), 3);
    const auto add = [&](ScheduleWhat what, ScheduleWhen when, ScheduleMode mode) {
        auto change =
            std::make_unique<CAddSchedule>(book, doc.Ids(), std::move(what), when, mode, u"x");
        const ItemId id = change->Id();
        doc.MakeChange(std::move(change));
        return id;
    };
    const ItemId rent =
        add({theirs, 25000, card, u"аренда"}, {148000, Repeat::Months, 1, WeekendRule::MondayAfter},
            ScheduleMode::Record);
    const ItemId phone = add({DerivedId(7), -3, kNoId, {}},
                             {148010, Repeat::LastDayOfMonth, 2, WeekendRule::FridayBefore,
                              ScheduleEnd::OnDay, 149000, 0},
                             ScheduleMode::Remind);
    doc.MakeChange(std::make_unique<CChangeSchedule>(
        book, doc.Ids(), phone, ScheduleWhat{DerivedId(7), 450, card, u"связь"},
        ScheduleWhen{148010, Repeat::Years, kMaxEvery, WeekendRule::Keep, ScheduleEnd::AfterCount,
                     0, kMaxOccurrences},
        ScheduleMode::Remind, u"x"));
    for (const auto& [k, state] : {std::pair{0U, OccurrenceState::Recorded},
                                   {1U, OccurrenceState::Skipped},
                                   {40U, OccurrenceState::Open}}) {
        MarkOccurrence(book, doc.Ids(), rent, k, state);
    }
    doc.MakeChange(std::make_unique<CDeleteSchedule>(
        book, doc.Ids(), add({theirs, 1, kNoId, {}}, {148000, Repeat::Days}, ScheduleMode::Remind),
        u"x"));
    const std::vector<std::uint8_t> bytes = doc.Store();

    test::CCoreWorld copy;
    std::string error;
    ASSERT_TRUE(copy.m_doc.Load(bytes, error)) << error;
    EXPECT_TRUE(copy.m_doc.Schedules() == book);
    EXPECT_TRUE(copy.m_doc.IdsValid());
    EXPECT_EQ(copy.m_doc.Store(), bytes);
    EXPECT_GT(copy.m_doc.Ids().NewId(), book.Gone().at(0).last.id);
}

TEST(ScheduleSection, AFileWithoutSchedulesIsTheOneWrittenWithoutThem) {
    // No schedules and no deleted ones: not a byte more than a file of the program before.
    test::CCoreWorld w;
    MakeDocument(w);
    const auto before = [&w] {
        return WriteDataFile(w.m_doc.Accounts(), w.Root(), w.m_doc.Notes(),
                             w.m_doc.Movements().Items(), {}, &w.m_doc.Ids());
    };
    EXPECT_EQ(w.m_doc.Store(), before());
    w.m_doc.MakeChange(std::make_unique<CAddSchedule>(w.m_doc.Schedules(), w.m_doc.Ids(),
                                                      ScheduleWhat{DerivedId(1), 5, kNoId, {}},
                                                      ScheduleWhen{}, ScheduleMode::Remind, u"x"));
    EXPECT_NE(w.m_doc.Store(), before());
}

TEST(ScheduleSection, DamageIsRefusedNamingItsFault) {
    // Every malformed part of the section makes the file damaged, for its own reason.
    test::CCoreWorld w;
    w.Root().AddArticle(u"a")->AddEntry(148000, 5);
    // One schedule: id, article, amount, account, note, the calendar's seven numbers, mode,
    // three stamps, then its marks (gap, state, stamp); then no deleted ones.
    struct Fields {
        std::vector<std::uint64_t> head{9 << 16U | 2, 0, 10, 0, 0};
        std::vector<std::uint64_t> when{148000, 2, 1, 0, 0, 0, 0, 1};
        std::vector<std::uint64_t> mark{0, 1};
    };
    const auto payload = [](std::uint64_t layout, const Fields& f,
                            std::vector<std::uint8_t> tail = {}) {
        CPayload out;
        out.U(layout).U(1).Fixed(0xD0D0).U(1);
        for (const std::uint64_t v : f.head) {
            out.U(v);
        }
        for (const std::uint64_t v : f.when) {
            out.U(v);
        }
        for (int stamp = 0; stamp < 3; ++stamp) {
            out.U(1).U(std::uint64_t{5} << 16U);
        }
        out.U(1);
        for (const std::uint64_t v : f.mark) {
            out.U(v);
        }
        out.U(1).U(std::uint64_t{6} << 16U).U(0);
        return out.Raw(tail).Bytes();
    };
    const auto with = [&](auto change) {
        Fields f;
        change(f);
        return payload(1, f);
    };
    const std::vector<std::uint8_t> sound = with([](Fields&) {});
    struct Case {
        const char* what;
        std::vector<std::vector<std::uint8_t>> sections;
        const char* reason; // null: no damage
    };
    const Case cases[] = {
        {"a sound section", {sound}, nullptr},
        {"two sections", {sound, sound}, "two sections of schedules"},
        {"a later layout", {payload(2, {})}, "schedules of an unknown layout 2"},
        {"a schedule of no id", {with([](Fields& f) { f.head[0] = 0; })}, "a schedule of no id"},
        {"a note with a line break",
         {with([](Fields& f) { f.head = {9 << 16U | 2, 0, 10, 0, 1, '\n'}; })},
         "a schedule's note the program never records"},
        {"a first day past 9999",
         {with([](Fields& f) { f.when[0] = kLastValidDay + 1; })},
         "a schedule's first day out of range"},
        {"a repeat of an unknown kind",
         {with([](Fields& f) { f.when[1] = 5; })},
         "a schedule's repeat of an unknown kind"},
        {"a step of 0", {with([](Fields& f) { f.when[2] = 0; })}, "a schedule's step out of range"},
        {"a weekend rule of an unknown kind",
         {with([](Fields& f) { f.when[3] = 3; })},
         "a schedule's weekend rule of an unknown kind"},
        {"a mode of an unknown kind",
         {with([](Fields& f) { f.when[7] = 2; })},
         "a schedule's mode of an unknown kind"},
        {"an occurrence's state of an unknown kind",
         {with([](Fields& f) {
             f.mark = {0, 3};
         })},
         "a schedule's occurrence of an unknown kind"},
        {"an occurrence past the last",
         {with([](Fields& f) {
             f.mark = {kMaxOccurrences, 1};
         })},
         "a schedule's occurrence out of range"},
        {"bytes after the schedules", {payload(1, {}, {0})}, "bytes after the schedules"},
    };
    for (const Case& c : cases) {
        test::CCoreWorld copy;
        std::string error;
        const bool loaded = LoadWith(w, kScheduleSection, c.sections, copy, error);
        if (c.reason == nullptr) {
            EXPECT_TRUE(loaded) << c.what << ": " << error;
            EXPECT_EQ(copy.m_doc.Schedules().Items().size(), 1U) << c.what;
        } else {
            EXPECT_FALSE(loaded) << c.what;
            EXPECT_EQ(error, c.reason) << c.what;
        }
    }
}

} // namespace
} // namespace tamblero
