// The merge's rules, one case a row: two copies of one small ledger changed apart through the
// commands, merged both ways round; each row states what the merged ledger holds.
#include "bankimport/StatementImport.h"
#include "model/CategoryNode.h"
#include "statement/RuleChanges.h"
#include "tests/merge/MergeSupport.h"
#include "tests/support/CoreWorld.h"

#include <functional>

namespace tamblero {
namespace {

using test::Copy;
using test::MergeOk;

constexpr DayNumber kDay = 146000;
constexpr std::int64_t kNow = 1'796'000'000'000;

// The node at the path below the root ("Еда/Кафе"); null for none.
CCategoryNode* At(const CVerdalonDoc& doc, std::u16string_view path) {
    CCategoryNode* at = doc.GetRoot();
    while (at != nullptr && !path.empty()) {
        const std::size_t slash = std::min(path.find(u'/'), path.size());
        const std::u16string_view name = path.substr(0, slash);
        CCategoryNode* next = nullptr;
        if (const CExpenseGroup* group = at->AsGroup()) {
            group->ForEachChild([&](CCategoryNode& child) {
                next = next == nullptr && child.GetName() == name ? &child : next;
            });
        }
        at = next;
        path.remove_prefix(std::min(slash + 1, path.size()));
    }
    return at;
}

CExpenseArticle& Article(const CVerdalonDoc& doc, std::u16string_view path) {
    CCategoryNode* node = At(doc, path);
    EXPECT_NE(node, nullptr) << test::Utf8(std::u16string(path));
    return *node->AsArticle();
}

// The amounts of the article's expenses on kDay in order, and the names of their accounts.
std::string Day(const CVerdalonDoc& doc, std::u16string_view path) {
    const CCategoryNode* node = At(doc, path);
    if (node == nullptr || node->AsArticle() == nullptr) {
        return "none";
    }
    std::string out;
    if (const CEntryList* list = node->AsArticle()->FindDay(kDay)) {
        for (const CExpenseEntry& e : list->Entries()) {
            out += std::to_string(e.m_nAmount) +
                   (e.m_pAccount != nullptr ? "@" + test::Utf8(e.m_pAccount->m_strName) : "") + " ";
        }
    }
    return out;
}

void AddRule(CVerdalonDoc& doc, std::u16string word, std::u16string_view article) {
    doc.MakeChange(std::make_unique<CAddRule>(
        doc.StatementMemory(), doc.Ids(),
        StatementRule{{std::move(word)}, Article(doc, article).m_nId, {}, {}}));
}

// The rule of the word, as the ledger holds it.
const StatementRule* RuleOf(const CVerdalonDoc& doc, std::u16string_view word) {
    for (const StatementRule& rule : doc.StatementMemory().Rules().Rules()) {
        if (RuleTitle(rule) == word) {
            return &rule;
        }
    }
    return nullptr;
}

// The rules' words in their order, and the article's name each gives.
std::string Rules(const CVerdalonDoc& doc) {
    std::string out;
    for (const StatementRule& rule : doc.StatementMemory().Rules().Rules()) {
        std::u16string name = u"?";
        ForEachNode(*doc.GetRoot(), [&](const CCategoryNode& node) {
            name = node.m_nId == rule.article ? node.GetName() : name;
        });
        out += test::Utf8(RuleTitle(rule)) + ">" + test::Utf8(name) +
               (rule.least ? " from " + std::to_string(*rule.least) : "") + " ";
    }
    return out;
}

void ChangeRule(CVerdalonDoc& doc, std::u16string_view word, std::u16string words,
                std::u16string_view article, std::optional<Amount> least) {
    const StatementRule& rule = *RuleOf(doc, word);
    doc.MakeChange(std::make_unique<CChangeRule>(
        doc.StatementMemory(), doc.Ids(), rule.id, std::vector<std::u16string>{std::move(words)},
        article.empty() ? rule.article : Article(doc, article).m_nId, least, rule.most));
}

// The account's CSV reading, its amount in the column given; stamped now unless given a stamp.
void SetCsv(CVerdalonDoc& doc, int account, int amount, CStamp stamp) {
    CsvMemo memo{{.date = 0, .amount = amount, .description = 1}, {}, stamp};
    if (stamp == CStamp{}) {
        memo.stamp = doc.Ids().Stamp();
    }
    doc.StatementMemory().SetCsv(doc.Accounts().GetAt(account)->m_nId, memo);
}

// A ledger, and two copies of it on devices of their own whose clocks run alike.
struct World {
    World() {
        CVerdalonDoc& doc = base.doc;
        CExpenseGroup& root = *doc.GetRoot();
        CExpenseGroup* food = AddNode(doc, root, u"Еда", true)->AsGroup();
        CExpenseGroup* home = AddNode(doc, root, u"Дом", true)->AsGroup();
        AddNode(doc, *food, u"Кафе", false);
        AddNode(doc, *food, u"Магазин", false);
        AddNode(doc, *home, u"Ремонт", false);
        AddNode(doc, root, u"Прочее", false);
        NewAccount(doc);
        RenameAccount(doc, 0, u"Карта");
        MoveMoney(doc, {kDay, -1, 0, 1000, u""});
        AddExpense(doc, Article(doc, u"Еда/Кафе"), {kDay, 100, 0, u""});
        AddExpense(doc, Article(doc, u"Еда/Магазин"), {kDay, 50, 0, u""});
        AddRule(doc, u"магнит", u"Еда/Магазин");
        AddRule(doc, u"кафе", u"Еда/Кафе");
        doc.StatementMemory().Remember(doc.Accounts().GetAt(0)->m_nId, u"FIT-1");
        test::CloneInto(a, doc);
        test::CloneInto(b, doc);
    }
    // Each copy merged with the other, which must come to one ledger.
    const CVerdalonDoc& Merged() {
        Copy intoB(0xB2ULL << 56, kNow);
        test::CloneInto(intoB, b.doc);
        report = MergeOk(intoB.doc, a.doc);
        reportIntoA = MergeOk(a.doc, b.doc);
        EXPECT_EQ(test::Dump(a.doc), test::Dump(intoB.doc));
        return a.doc;
    }
    Copy base{0xBA5EULL << 48, kNow};
    Copy a{0xAAULL << 56, kNow + 100};
    Copy b{0xBBULL << 56, kNow + 100};
    MergeReport report;      // a's changes into b
    MergeReport reportIntoA; // b's into a
};

struct RuleCase {
    const char* invariant;
    std::function<void(World&)> changes;
    std::function<void(World&, const CVerdalonDoc&)> check;
};

const RuleCase kCases[] = {
    {"concurrent renames of one article: the later wins, told as a conflict",
     [](World& w) {
         RenameNode(w.a.doc, *At(w.a.doc, u"Еда/Кафе"), u"Кафе А");
         w.b.platform.m_nowMillis += 1000;
         RenameNode(w.b.doc, *At(w.b.doc, u"Еда/Кафе"), u"Кафе Б");
     },
     [](World& w, const CVerdalonDoc& m) {
         EXPECT_EQ(Day(m, u"Еда/Кафе Б"), "100@Карта ");
         EXPECT_EQ(At(m, u"Еда/Кафе А"), nullptr);
         ASSERT_EQ(w.reportIntoA.conflicts.size(), 1U);
         EXPECT_TRUE(w.reportIntoA.conflicts[0].theirsWon);
         EXPECT_EQ(w.reportIntoA.changedFields, 1);
     }},
    {"concurrent renames at one moment: the larger device wins",
     [](World& w) {
         RenameNode(w.a.doc, *At(w.a.doc, u"Еда/Кафе"), u"Кафе А");
         RenameNode(w.b.doc, *At(w.b.doc, u"Еда/Кафе"), u"Кафе Б");
     },
     [](World&, const CVerdalonDoc& m) { EXPECT_NE(At(m, u"Еда/Кафе Б"), nullptr); }},
    {"a group deleted on one copy and recorded in on the other: its path comes back with that "
     "expense alone",
     [](World& w) {
         DeleteNode(w.a.doc, *At(w.a.doc, u"Еда"));
         AddExpense(w.b.doc, Article(w.b.doc, u"Еда/Кафе"), {kDay, 7, -1, u""});
     },
     [](World& w, const CVerdalonDoc& m) {
         EXPECT_EQ(Day(m, u"Еда/Кафе"), "7 ");
         EXPECT_EQ(At(m, u"Еда/Магазин"), nullptr);
         EXPECT_EQ(w.reportIntoA.restoredNodes, 2);
     }},
    {"articles merged on one copy and recorded in the source on the other: it follows",
     [](World& w) {
         MergeArticles(w.a.doc, Article(w.a.doc, u"Еда/Кафе"), Article(w.a.doc, u"Еда/Магазин"));
         AddExpense(w.b.doc, Article(w.b.doc, u"Еда/Кафе"), {kDay, 7, -1, u""});
     },
     [](World&, const CVerdalonDoc& m) {
         EXPECT_EQ(At(m, u"Еда/Кафе"), nullptr);
         EXPECT_EQ(Day(m, u"Еда/Магазин"), "100@Карта 50@Карта 7 ");
     }},
    {"an article moved on one copy and recorded in on the other: it moves with both",
     [](World& w) {
         MoveNode(w.a.doc, *At(w.a.doc, u"Прочее"), *At(w.a.doc, u"Дом")->AsGroup());
         AddExpense(w.b.doc, Article(w.b.doc, u"Прочее"), {kDay, 9, 0, u""});
     },
     [](World&, const CVerdalonDoc& m) {
         EXPECT_EQ(At(m, u"Прочее"), nullptr);
         EXPECT_EQ(Day(m, u"Дом/Прочее"), "9@Карта ");
     }},
    {"moves closing a cycle: one group stays under the other, that one under the root",
     [](World& w) {
         MoveNode(w.a.doc, *At(w.a.doc, u"Еда"), *At(w.a.doc, u"Дом")->AsGroup());
         MoveNode(w.b.doc, *At(w.b.doc, u"Дом"), *At(w.b.doc, u"Еда")->AsGroup());
     },
     [](World&, const CVerdalonDoc& m) {
         EXPECT_TRUE(m.GetRoot()->Valid());
         EXPECT_NE((At(m, u"Еда/Дом/Ремонт") != nullptr), (At(m, u"Дом/Еда/Кафе") != nullptr));
     }},
    {"an account deleted on one copy and named by a new expense on the other: the expense names "
     "none",
     [](World& w) {
         DeleteAccount(w.a.doc, 0);
         AddExpense(w.b.doc, Article(w.b.doc, u"Прочее"), {kDay, 5, 0, u""});
     },
     [](World&, const CVerdalonDoc& m) {
         EXPECT_EQ(m.Accounts().GetCount(), 0);
         EXPECT_EQ(Day(m, u"Прочее"), "5 ");
         EXPECT_TRUE(m.Movements().IsEmpty());
     }},
    {"a deletion undone: the expense stays",
     [](World& w) {
         CExpenseArticle& cafe = Article(w.a.doc, u"Еда/Кафе");
         UndoExpense(w.a.doc, cafe, kDay, cafe.FindDay(kDay)->GetAt(0), 0);
         w.a.doc.UndoChange();
     },
     [](World&, const CVerdalonDoc& m) { EXPECT_EQ(Day(m, u"Еда/Кафе"), "100@Карта "); }},
    {"a deletion undone and redone: the expense goes, though the other copy changed it",
     [](World& w) {
         CExpenseArticle& cafe = Article(w.a.doc, u"Еда/Кафе");
         UndoExpense(w.a.doc, cafe, kDay, cafe.FindDay(kDay)->GetAt(0), 0);
         w.a.doc.UndoChange();
         w.a.doc.RedoChange();
         CExpenseArticle& other = Article(w.b.doc, u"Еда/Кафе");
         SetNote(w.b.doc, other, kDay, other.FindDay(kDay)->GetAt(0), u"обед", 0);
     },
     [](World&, const CVerdalonDoc& m) {
         EXPECT_EQ(Day(m, u"Еда/Кафе"), "");
         EXPECT_EQ(m.Accounts().GetAt(0)->Balance(), 1000 - 50);
     }},
    {"a category deleted on one copy keeps its expenses spent: the balance is that copy's less "
     "what the other spent",
     [](World& w) {
         DeleteNode(w.a.doc, *At(w.a.doc, u"Еда"));
         AddExpense(w.b.doc, Article(w.b.doc, u"Прочее"), {kDay, 10, 0, u""});
     },
     [](World&, const CVerdalonDoc& m) {
         EXPECT_EQ(m.Accounts().GetAt(0)->Balance(), 1000 - 150 - 10);
     }},
    {"a category deleted on each copy, both paid from one account: both stay spent",
     [](World& w) {
         DeleteNode(w.a.doc, *At(w.a.doc, u"Еда/Кафе"));
         DeleteNode(w.b.doc, *At(w.b.doc, u"Еда/Магазин"));
     },
     [](World&, const CVerdalonDoc& m) {
         EXPECT_EQ(m.Accounts().GetAt(0)->Balance(), 1000 - 150);
     }},
    {"an expense refunded on one copy and its category deleted on the other: the later deletion "
     "decides, here the refund",
     [](World& w) {
         DeleteNode(w.b.doc, *At(w.b.doc, u"Еда/Кафе"));
         w.a.platform.m_nowMillis += 1000;
         CExpenseArticle& cafe = Article(w.a.doc, u"Еда/Кафе");
         UndoExpense(w.a.doc, cafe, kDay, cafe.FindDay(kDay)->GetAt(0), 0);
     },
     [](World&, const CVerdalonDoc& m) { EXPECT_EQ(m.Accounts().GetAt(0)->Balance(), 1000 - 50); }},
    {"a category deleted on one copy and, deleted and brought back, on the other: its expenses "
     "are live and spent once",
     [](World& w) {
         DeleteNode(w.a.doc, *At(w.a.doc, u"Еда"));
         w.b.platform.m_nowMillis += 1000;
         DeleteNode(w.b.doc, *At(w.b.doc, u"Еда"));
         w.b.doc.UndoChange();
     },
     [](World&, const CVerdalonDoc& m) {
         EXPECT_EQ(Day(m, u"Еда/Кафе"), "100@Карта ");
         EXPECT_EQ(m.Accounts().GetAt(0)->Balance(), 1000 - 150);
     }},
    {"rules added on each copy: both kept, the one put before the other's first there too",
     [](World& w) {
         AddRule(w.a.doc, u"такси", u"Прочее");
         AddRule(w.b.doc, u"аптека", u"Дом/Ремонт");
         w.b.doc.MakeChange(std::make_unique<CMoveRule>(w.b.doc.StatementMemory(), w.b.doc.Ids(),
                                                        RuleOf(w.b.doc, u"аптека")->id, 0));
     },
     [](World& w, const CVerdalonDoc& m) {
         EXPECT_EQ(Rules(m), "аптека>Ремонт магнит>Магазин кафе>Кафе такси>Прочее ");
         EXPECT_TRUE(w.report.changedMemory);
         EXPECT_TRUE(w.reportIntoA.ChangesOurs());
     }},
    {"one rule changed on both copies: each part by its later stamp",
     [](World& w) {
         ChangeRule(w.a.doc, u"кафе", u"кафе", u"Прочее", std::nullopt);
         w.b.platform.m_nowMillis += 1000;
         ChangeRule(w.b.doc, u"кафе", u"кофейня", u"", 300);
         w.a.platform.m_nowMillis += 2000;
         ChangeRule(w.a.doc, u"кафе", u"кафе", u"Прочее", 500);
     },
     [](World&, const CVerdalonDoc& m) {
         EXPECT_EQ(Rules(m), "магнит>Магазин кофейня>Прочее from 500 ");
     }},
    {"a rule deleted on one copy after the other changed it: it goes, its record kept",
     [](World& w) {
         ChangeRule(w.b.doc, u"магнит", u"магнит", u"Прочее", std::nullopt);
         w.a.platform.m_nowMillis += 1000;
         w.a.doc.MakeChange(std::make_unique<CDeleteRule>(w.a.doc.StatementMemory(), w.a.doc.Ids(),
                                                          RuleOf(w.a.doc, u"магнит")->id));
     },
     [](World&, const CVerdalonDoc& m) {
         EXPECT_EQ(Rules(m), "кафе>Кафе ");
         ASSERT_EQ(m.StatementMemory().GoneRules().size(), 1U);
         EXPECT_EQ(m.StatementMemory().GoneRules()[0].last.article, Article(m, u"Прочее").m_nId);
     }},
    {"a rule changed on one copy after the other deleted it: back with the change",
     [](World& w) {
         w.a.doc.MakeChange(std::make_unique<CDeleteRule>(w.a.doc.StatementMemory(), w.a.doc.Ids(),
                                                          RuleOf(w.a.doc, u"магнит")->id));
         w.b.platform.m_nowMillis += 1000;
         ChangeRule(w.b.doc, u"магнит", u"магнит", u"Прочее", std::nullopt);
     },
     [](World&, const CVerdalonDoc& m) {
         EXPECT_EQ(Rules(m), "магнит>Прочее кафе>Кафе ");
         EXPECT_TRUE(m.StatementMemory().GoneRules().empty());
     }},
    {"an article merged on one copy, a rule naming it added on the other: the import gives "
     "the article that took it",
     [](World& w) {
         MergeArticles(w.a.doc, Article(w.a.doc, u"Еда/Кафе"), Article(w.a.doc, u"Прочее"));
         AddRule(w.b.doc, u"столовая", u"Еда/Кафе");
     },
     [](World&, const CVerdalonDoc& m) {
         StatementRow row;
         row.day = kDay;
         row.hundredths = -500;
         row.description = u"Столовая №1";
         const ImportPlan plan = PlanImport(m, *m.Accounts().GetAt(0), {row});
         ASSERT_NE(plan.rows.front().article, nullptr);
         EXPECT_EQ(plan.rows.front().article->GetName(), u"Прочее");
     }},
    {"bank ids: united per account, a deleted account's kept",
     [](World& w) {
         w.a.doc.StatementMemory().Remember(w.a.doc.Accounts().GetAt(0)->m_nId, u"FIT-2");
         w.b.doc.StatementMemory().Remember(w.b.doc.Accounts().GetAt(0)->m_nId, u"FIT-3");
         NewAccount(w.b.doc);
         w.b.doc.StatementMemory().Remember(w.b.doc.Accounts().GetAt(1)->m_nId, u"FIT-1");
         DeleteAccount(w.b.doc, 1);
     },
     [](World& w, const CVerdalonDoc& m) {
         const CStatementMemory& memory = m.StatementMemory();
         EXPECT_EQ(memory.ImportedInto(m.Accounts().GetAt(0)->m_nId),
                   (CStatementMemory::BankIds{u"FIT-1", u"FIT-2", u"FIT-3"}));
         EXPECT_EQ(memory.AllImported().size(), 2U);
         EXPECT_TRUE(w.report.changedMemory);
     }},
    {"CSV readings: per account the later one, a deleted account's kept",
     [](World& w) {
         SetCsv(w.a.doc, 0, 2, {});
         w.b.platform.m_nowMillis += 1000;
         SetCsv(w.b.doc, 0, 3, {});
         NewAccount(w.b.doc);
         SetCsv(w.b.doc, 1, 4, {});
         DeleteAccount(w.b.doc, 1);
     },
     [](World& w, const CVerdalonDoc& m) {
         EXPECT_EQ(m.StatementMemory().CsvOf(m.Accounts().GetAt(0)->m_nId)->mapping.amount, 3);
         EXPECT_EQ(m.StatementMemory().AllCsv().size(), 2U);
         EXPECT_TRUE(w.reportIntoA.changedMemory);
     }},
    {"CSV readings of one stamp: the one later in the fixed order, whichever copy it is on",
     [](World& w) {
         const CStamp tie(kNow + 5000, 0, DeviceId{0xAAULL << 56});
         SetCsv(w.a.doc, 0, 5, tie);
         SetCsv(w.b.doc, 0, 4, tie);
     },
     [](World&, const CVerdalonDoc& m) {
         EXPECT_EQ(m.StatementMemory().CsvOf(m.Accounts().GetAt(0)->m_nId)->mapping.amount, 5);
     }},
};

TEST(MergeRules, EachCase) {
    for (const RuleCase& rule : kCases) {
        SCOPED_TRACE(rule.invariant);
        World w;
        rule.changes(w);
        rule.check(w, w.Merged());
        EXPECT_TRUE(w.a.doc.GetRoot()->Valid());
        EXPECT_TRUE(w.a.doc.IdsValid());
    }
}

// Three copies: one deletes an item, one changes it before that, one deletes it after and
// undoes that, which brings it back.
struct ThreeCase {
    const char* invariant;
    std::function<void(World&, Copy& c)> changes;
    std::function<void(const CVerdalonDoc&)> check;
};

const ThreeCase kThreeCases[] = {
    {"an article renamed, deleted, and brought back by an undone deletion: with its new name",
     [](World& w, Copy& c) {
         RenameNode(w.b.doc, *At(w.b.doc, u"Прочее"), u"Разное");
         w.a.platform.m_nowMillis += 1000;
         DeleteNode(w.a.doc, *At(w.a.doc, u"Прочее"));
         c.platform.m_nowMillis += 2000;
         DeleteNode(c.doc, *At(c.doc, u"Прочее"));
         c.doc.UndoChange();
     },
     [](const CVerdalonDoc& m) { EXPECT_NE(At(m, u"Разное"), nullptr); }},
    {"an expense corrected, taken back, and brought back by an undone deletion: corrected",
     [](World& w, Copy& c) {
         CExpenseArticle& cafe = Article(w.b.doc, u"Еда/Кафе");
         SetNote(w.b.doc, cafe, kDay, cafe.FindDay(kDay)->GetAt(0), u"обед", 0);
         w.a.platform.m_nowMillis += 1000;
         CExpenseArticle& theirs = Article(w.a.doc, u"Еда/Кафе");
         UndoExpense(w.a.doc, theirs, kDay, theirs.FindDay(kDay)->GetAt(0), 0);
         c.platform.m_nowMillis += 2000;
         CExpenseArticle& mine = Article(c.doc, u"Еда/Кафе");
         UndoExpense(c.doc, mine, kDay, mine.FindDay(kDay)->GetAt(0), 0);
         c.doc.UndoChange();
     },
     [](const CVerdalonDoc& m) {
         EXPECT_EQ(test::Utf8(std::u16string(
                       m.Notes().Text(Article(m, u"Еда/Кафе").FindDay(kDay)->GetAt(0).m_nNote))),
                   "обед");
     }},
    {"an account deposited to, deleted, and renamed later elsewhere: back with the new deposit "
     "(the deletion took the one it saw)",
     [](World& w, Copy& c) {
         MoveMoney(w.b.doc, {kDay, -1, 0, 7, u""});
         w.a.platform.m_nowMillis += 1000;
         DeleteAccount(w.a.doc, 0);
         c.platform.m_nowMillis += 2000;
         RenameAccount(c.doc, 0, u"Карта 2");
     },
     [](const CVerdalonDoc& m) {
         ASSERT_EQ(m.Accounts().GetCount(), 1);
         EXPECT_EQ(m.Movements().GetCount(), 1);
         EXPECT_EQ(m.Accounts().GetAt(0)->Balance(), 7);
     }},
    {"a rule changed, deleted, and brought back by an undone deletion: with its change",
     [](World& w, Copy& c) {
         ChangeRule(w.b.doc, u"кафе", u"кафе", u"Прочее", 10);
         w.a.platform.m_nowMillis += 1000;
         w.a.doc.MakeChange(std::make_unique<CDeleteRule>(w.a.doc.StatementMemory(), w.a.doc.Ids(),
                                                          RuleOf(w.a.doc, u"кафе")->id));
         c.platform.m_nowMillis += 2000;
         c.doc.MakeChange(std::make_unique<CDeleteRule>(c.doc.StatementMemory(), c.doc.Ids(),
                                                        RuleOf(c.doc, u"кафе")->id));
         c.doc.UndoChange();
     },
     [](const CVerdalonDoc& m) { EXPECT_EQ(Rules(m), "магнит>Магазин кафе>Прочее from 10 "); }},
};

TEST(MergeRules, ThreeCopiesMergeAlikeInEveryGrouping) {
    // (a + b) + c, a + (b + c) and (a + c) + b give one ledger, what one copy deleted and another
    // changed included.
    for (const ThreeCase& rule : kThreeCases) {
        SCOPED_TRACE(rule.invariant);
        World w;
        Copy c(0xCCULL << 56, kNow + 100);
        test::CloneInto(c, w.base.doc);
        rule.changes(w, c);
        const auto merged = [](const Copy& x, const Copy& y, const Copy& z, bool pairLast) {
            auto out = std::make_unique<Copy>(0xD0ULL << 56, kNow);
            if (pairLast) {
                Copy pair(0xD1ULL << 56, kNow);
                (void)MergeOk(pair.doc, y.doc);
                (void)MergeOk(pair.doc, z.doc);
                (void)MergeOk(out->doc, x.doc);
                (void)MergeOk(out->doc, pair.doc);
            } else {
                for (const Copy* one : {&x, &y, &z}) {
                    (void)MergeOk(out->doc, one->doc);
                }
            }
            return out;
        };
        const auto first = merged(w.a, w.b, c, false);
        EXPECT_EQ(test::Dump(merged(w.a, w.b, c, true)->doc), test::Dump(first->doc));
        EXPECT_EQ(test::Dump(merged(w.a, c, w.b, false)->doc), test::Dump(first->doc));
        EXPECT_EQ(test::Dump(merged(w.b, c, w.a, true)->doc), test::Dump(first->doc));
        rule.check(first->doc);
    }
}

// The ledger of World's base written to a file without identities and read on two devices:
// every item has its derived id, the same on both.
TEST(MergeRules, AnEarlierFileChangedOnTwoCopiesMergesWithoutDoubling) {
    // The same file's expenses are one on both copies; each copy's new one is there once.
    World w;
    std::string error;
    const std::vector<std::uint8_t> bytes = w.base.doc.Store();
    Copy a(0xA1ULL << 56, kNow + 100);
    Copy b(0xB1ULL << 56, kNow + 100);
    ASSERT_TRUE(a.doc.Load(bytes, error)) << error;
    ASSERT_TRUE(b.doc.Load(bytes, error)) << error;
    test::DropIds(a.doc);
    test::DropIds(b.doc);
    AddExpense(a.doc, Article(a.doc, u"Еда/Кафе"), {kDay, 3, 0, u""});
    AddExpense(b.doc, Article(b.doc, u"Еда/Кафе"), {kDay, 4, 0, u""});
    (void)MergeOk(a.doc, b.doc);
    EXPECT_EQ(Day(a.doc, u"Еда/Кафе"), "100@Карта 3@Карта 4@Карта ");
    EXPECT_EQ(Day(a.doc, u"Еда/Магазин"), "50@Карта ");
    EXPECT_EQ(a.doc.Accounts().GetCount(), 1);
    EXPECT_EQ(a.doc.Accounts().GetAt(0)->Balance(), 1000 - 157);
    EXPECT_EQ(a.doc.Movements().GetCount(), 1);
}

TEST(MergeRules, TheSameFileOnTwoCopiesMergesToItsOwnBytes) {
    // Nothing new: the file's order of a day's expenses and its emptied days stay, byte for byte.
    World w;
    CVerdalonDoc& doc = w.base.doc;
    AddExpense(doc, Article(doc, u"Еда/Кафе"), {kDay, 30, -1, u""});
    AddExpense(doc, Article(doc, u"Еда/Кафе"), {kDay, 20, -1, u""});
    AddExpense(doc, Article(doc, u"Прочее"), {kDay + 1, 5, -1, u""});
    CExpenseArticle& other = Article(doc, u"Прочее");
    UndoExpense(doc, other, kDay + 1, other.FindDay(kDay + 1)->GetAt(0), 0);
    const std::vector<std::uint8_t> bytes = doc.Store();
    const std::vector<std::uint8_t> seen = test::UserBytes(doc);
    Copy a(0xA1ULL << 56, kNow + 100);
    Copy b(0xB1ULL << 56, kNow + 100);
    std::string error;
    ASSERT_TRUE(a.doc.Load(bytes, error) && b.doc.Load(bytes, error)) << error;
    test::DropIds(a.doc);
    test::DropIds(b.doc);
    EXPECT_FALSE(MergeOk(a.doc, b.doc).ChangesOurs());
    EXPECT_EQ(test::UserBytes(a.doc), seen);
}

TEST(MergeRules, ACopyWithoutIdentitiesMergesIntoOneThatKeptThem) {
    // A copy an earlier version saved (every id dropped, so derived) takes the ids of the copy
    // that kept them: nothing doubles, in either direction.
    for (const bool droppedIsOurs : {false, true}) {
        World w;
        test::DropIds(w.b.doc);
        AddExpense(w.a.doc, Article(w.a.doc, u"Еда/Кафе"), {kDay, 3, 0, u""});
        AddExpense(w.b.doc, Article(w.b.doc, u"Еда/Кафе"), {kDay, 4, -1, u""});
        Copy& ours = droppedIsOurs ? w.b : w.a;
        const Copy& theirs = droppedIsOurs ? w.a : w.b;
        const MergeReport report = MergeOk(ours.doc, theirs.doc);
        // A day's expenses in the order of their devices' ids, then their sequences.
        EXPECT_EQ(Day(ours.doc, u"Еда/Кафе"), "3@Карта 100@Карта 4 ") << droppedIsOurs;
        EXPECT_EQ(Day(ours.doc, u"Еда/Магазин"), "50@Карта ");
        EXPECT_EQ(ours.doc.Accounts().GetCount(), 1);
        EXPECT_EQ(ours.doc.Movements().GetCount(), 1);
        EXPECT_EQ(ours.doc.Accounts().GetAt(0)->Balance(), 1000 - 153);
        EXPECT_EQ(report.newExpenses, 1);
        EXPECT_FALSE(IsDerived(At(ours.doc, u"Еда")->m_nId));
    }
}

TEST(MergeRules, GroupsTooDeepAfterTwoMovesGoUnderTheRoot) {
    // Two moves each allowed alone nest groups past kMaxGroupDepth: the deepest go under the
    // root, and the tree holds together.
    Copy base(0xBA5EULL << 48, kNow);
    CExpenseGroup* g = base.doc.GetRoot();
    CExpenseGroup* h = base.doc.GetRoot();
    std::vector<CExpenseGroup*> gs;
    std::vector<CExpenseGroup*> hs;
    for (int i = 0; i < 600; ++i) {
        gs.push_back(g = AddNode(base.doc, *g, u"G", true)->AsGroup());
        hs.push_back(h = AddNode(base.doc, *h, u"H", true)->AsGroup());
    }
    Copy a(0xAAULL << 56, kNow + 10'000);
    Copy b(0xBBULL << 56, kNow + 10'000);
    test::CloneInto(a, base.doc);
    test::CloneInto(b, base.doc);
    const auto nth = [](CVerdalonDoc& doc, const char16_t* name, int depth) {
        CCategoryNode* at = doc.GetRoot();
        for (int i = 0; i < depth; ++i) {
            CCategoryNode* next = nullptr;
            at->AsGroup()->ForEachChild(
                [&](CCategoryNode& c) { next = c.GetName() == name ? &c : next; });
            at = next;
        }
        return at;
    };
    MoveNode(a.doc, *nth(a.doc, u"H", 1), *nth(a.doc, u"G", 400)->AsGroup());
    MoveNode(b.doc, *nth(b.doc, u"G", 401), *nth(b.doc, u"H", 600)->AsGroup());
    (void)MergeOk(a.doc, b.doc);
    EXPECT_TRUE(a.doc.GetRoot()->Valid());
    int groups = 0;
    ForEachNode(*a.doc.GetRoot(), [&groups](const CCategoryNode&) { ++groups; });
    EXPECT_EQ(groups, 1200);
    EXPECT_EQ(a.doc.GetRoot()->GroupCount(), 2);
}

// Two rows of one statement, each with the bank's id.
std::vector<StatementRow> Statement() {
    std::vector<StatementRow> rows(2);
    rows[0].description = u"Аптека";
    rows[0].hundredths = -12000;
    rows[0].bankId = u"FIT-7";
    rows[1].description = u"Возврат";
    rows[1].hundredths = 30000;
    rows[1].bankId = u"FIT-8";
    for (StatementRow& row : rows) {
        row.day = kDay + 1;
    }
    return rows;
}

// The rows an import of the statement would record on the copy.
std::size_t NewRows(const CVerdalonDoc& doc) {
    return PlanImport(doc, *doc.Accounts().GetAt(0), Statement(), &Article(doc, u"Прочее"))
        .CheckedCount();
}

void Import(CVerdalonDoc& doc) {
    ASSERT_EQ(ImportStatement(doc, PlanImport(doc, *doc.Accounts().GetAt(0), Statement(),
                                              &Article(doc, u"Прочее"))),
              ImportResult::Imported);
}

TEST(MergeRules, AnImportUndoneStaysUndoneThroughMergesBothWays) {
    // Each case takes back on copy a what b already merged from it: those rows are new again on
    // both copies after merging both ways, and imported again on either, each row is recorded
    // once.
    struct Case {
        const char* invariant;
        std::function<void(World&)> takeBack;
        std::size_t newRows;
    };
    const Case cases[] = {
        {"the import undone", [](World& w) { w.a.doc.UndoChange(); }, 2},
        {"its expense deleted by hand",
         [](World& w) {
             CExpenseArticle& other = Article(w.a.doc, u"Прочее");
             ASSERT_TRUE(
                 UndoExpense(w.a.doc, other, kDay + 1, other.FindDay(kDay + 1)->GetAt(0), 0));
         },
         1},
    };
    for (const Case& c : cases) {
        for (const bool onA : {true, false}) {
            SCOPED_TRACE(std::string(c.invariant) + (onA ? ", imported again on a" : ", on b"));
            World w;
            Import(w.a.doc);
            (void)MergeOk(w.b.doc, w.a.doc);
            EXPECT_EQ(NewRows(w.b.doc), 0U);
            c.takeBack(w);
            EXPECT_EQ(NewRows(w.a.doc), c.newRows);
            (void)MergeOk(w.a.doc, w.b.doc);
            (void)MergeOk(w.b.doc, w.a.doc);
            EXPECT_EQ(NewRows(w.a.doc), c.newRows);
            EXPECT_EQ(NewRows(w.b.doc), c.newRows);

            Import(onA ? w.a.doc : w.b.doc);
            const CVerdalonDoc& m = w.Merged();
            EXPECT_EQ(NewRows(m), 0U);
            (void)MergeOk(w.b.doc, m);
            EXPECT_EQ(NewRows(w.b.doc), 0U);
            const CEntryList* day = Article(m, u"Прочее").FindDay(kDay + 1);
            ASSERT_NE(day, nullptr);
            EXPECT_EQ(day->GetCount(), 1);
            EXPECT_EQ(m.Movements().GetCount(), 2); // the first deposit and the statement's
            EXPECT_TRUE(m.IdsValid());
        }
    }
}

TEST(MergeRules, OursTakesTheResultAsAChange) {
    // The merged document keeps its data file, forgets its undo steps and is modified exactly
    // when the merge changed it.
    World w;
    AddExpense(w.a.doc, Article(w.a.doc, u"Прочее"), {kDay, 3, 0, u""});
    ASSERT_TRUE(w.a.doc.Changes().CanUndo());
    const auto path = w.a.doc.GetDataPath();
    (void)MergeOk(w.a.doc, w.b.doc);
    EXPECT_FALSE(w.a.doc.Changes().CanUndo());
    EXPECT_EQ(w.a.doc.GetDataPath(), path);
    EXPECT_TRUE(w.a.doc.IsModified());

    Copy fresh(0xCCULL << 56, kNow);
    const Copy other(0xDDULL << 56, kNow);
    ASSERT_FALSE(fresh.doc.IsModified());
    EXPECT_FALSE(MergeOk(fresh.doc, other.doc).ChangesOurs());
    EXPECT_FALSE(fresh.doc.IsModified());
    const MergeReport report = MergeOk(fresh.doc, w.a.doc);
    EXPECT_EQ(report.newExpenses, 3);
    EXPECT_EQ(report.newAccounts, 1);
    EXPECT_TRUE(fresh.doc.IsModified());
}

TEST(MergeRules, RefusesWhatNoDocumentHolds) {
    // A balance out of range, or more accounts than a file names, refuses the merge and leaves
    // ours as it was.
    World w;
    MoveMoney(w.a.doc, {kDay, -1, 0, 2'000'000'000, u""});
    MoveMoney(w.b.doc, {kDay, -1, 0, 2'000'000'000, u""});
    const std::string before = test::Dump(w.a.doc);
    MergeReport report;
    MergeRefusal refusal;
    EXPECT_FALSE(MergeInto(w.a.doc, w.b.doc, report, refusal));
    EXPECT_FALSE(refusal.english.empty());
    EXPECT_EQ(test::Dump(w.a.doc), before);

    World many;
    for (int i = 0; i < 128; ++i) {
        NewAccount(many.a.doc);
        NewAccount(many.b.doc);
    }
    EXPECT_FALSE(MergeInto(many.a.doc, many.b.doc, report, refusal));
    EXPECT_EQ(many.a.doc.Accounts().GetCount(), 129);
}

} // namespace
} // namespace tamblero
