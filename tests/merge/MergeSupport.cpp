#include "tests/merge/MergeSupport.h"

#include "app/core/DocumentChanges.h"
#include "app/core/Schedules.h"
#include "bankimport/StatementImport.h"
#include "model/Account.h"
#include "model/CategoryNode.h"
#include "statement/RuleChanges.h"
#include "tests/support/RandomChanges.h"

namespace tamblero::test {

void DropIds(CVerdalonDoc& doc) {
    const auto drop = [](CCategoryNode& node) {
        node.m_nId = kNoId;
        node.m_nameStamp = node.m_placeStamp = CStamp{};
    };
    drop(*doc.GetRoot());
    ForEachNode(*doc.GetRoot(), [&](CCategoryNode& node) {
        drop(node);
        if (CExpenseArticle* article = node.AsArticle()) {
            article->Days().ForEachListForNotes([](CEntryList& list) {
                for (int i = 0; i < list.GetCount(); ++i) {
                    list.SetId(i, kNoId);
                }
            });
        }
    });
    for (int i = 0; i < doc.Accounts().GetCount(); ++i) {
        CAccount& a = *doc.Accounts().GetAt(i);
        a.m_nId = kNoId;
        a.m_created = a.m_nameStamp = a.m_openingStamp = CStamp{};
    }
    for (int i = 0; i < doc.Movements().GetCount(); ++i) {
        doc.Movements().GetAt(i).m_nId = kNoId;
        doc.Movements().GetAt(i).m_created = CStamp{};
    }
    doc.Ids().ForgetRecords();
    doc.CompleteIds();
}

namespace {

// A rule added, changed, moved or deleted through its command, a bank id remembered as an
// earlier version did, a one-row statement imported (the undo of RandomChange takes it back), or
// an account's CSV reading set.
void RandomMemoryChange(CVerdalonDoc& doc, std::mt19937& random) {
    static const std::u16string kWords[] = {u"магнит", u"такси", u"аптека", u"кафе"};
    const auto below = [&random](std::size_t n) { return static_cast<std::size_t>(random() % n); };
    CStatementMemory& memory = doc.StatementMemory();
    const std::vector<StatementRule>& rules = memory.Rules().Rules();
    std::vector<ItemId> articles;
    ForEachNode(*doc.GetRoot(), [&](const CCategoryNode& node) {
        if (node.AsArticle() != nullptr) {
            articles.push_back(node.m_nId);
        }
    });
    const ItemId article = articles.empty() ? kNoId : articles[below(articles.size())];
    const std::vector<std::u16string> words{kWords[below(std::size(kWords))]};
    const std::size_t kind = rules.empty() ? 0 : below(7);
    const ItemId rule = rules.empty() ? kNoId : rules[below(rules.size())].id;
    if (kind == 0) {
        doc.MakeChange(
            std::make_unique<CAddRule>(memory, doc.Ids(), StatementRule{words, article, {}, {}}));
    } else if (kind == 1) {
        const std::optional<Amount> least =
            below(2) == 0 ? std::nullopt : std::optional<Amount>(static_cast<Amount>(below(100)));
        doc.MakeChange(std::make_unique<CChangeRule>(
            memory, doc.Ids(), rule, below(2) == 0 ? words : rules[0].words,
            below(2) == 0 ? article : rules[0].article, least, std::nullopt));
    } else if (kind == 2) {
        doc.MakeChange(std::make_unique<CMoveRule>(memory, doc.Ids(), rule, below(rules.size())));
    } else if (kind == 3) {
        doc.MakeChange(std::make_unique<CDeleteRule>(memory, doc.Ids(), rule));
    } else if (kind == 5 && doc.Accounts().GetNameableCount() > 0) {
        CAccount& account = *doc.Accounts().GetAt(
            static_cast<int>(below(static_cast<std::size_t>(doc.Accounts().GetNameableCount()))));
        StatementRow row;
        row.day = 146000 + static_cast<DayNumber>(below(5));
        row.hundredths = below(2) == 0 ? -1000 : 500;
        row.description = words.front();
        row.bankId = u"FIT-" + std::u16string(1, static_cast<char16_t>(u'0' + below(10)));
        CExpenseArticle* fallback = nullptr;
        ForEachNode(*doc.GetRoot(), [&](CCategoryNode& node) {
            fallback = node.m_nId == article ? node.AsArticle() : fallback;
        });
        (void)ImportStatement(doc, PlanImport(doc, account, {row}, fallback));
    } else if (doc.Accounts().GetCount() > 0) {
        const ItemId account =
            doc.Accounts()
                .GetAt(static_cast<int>(below(static_cast<std::size_t>(doc.Accounts().GetCount()))))
                ->m_nId;
        if (kind == 4) {
            memory.Remember(account,
                            u"FIT-" + std::u16string(1, static_cast<char16_t>(u'0' + below(10))));
        } else {
            // A CSV reading, or one an undone import forgot.
            CsvMapping mapping{
                .date = 0, .amount = 1 + static_cast<int>(below(3)), .description = 5};
            memory.SetCsv(account, {below(4) == 0 ? CsvMapping{} : mapping, {}, doc.Ids().Stamp()});
        }
        doc.MarkChanged();
    }
}

// A random node's budget set, of either kind, or removed.
void RandomBudgetChange(CVerdalonDoc& doc, std::mt19937& random) {
    std::vector<const CCategoryNode*> nodes{doc.GetRoot()};
    ForEachNode(*doc.GetRoot(), [&](const CCategoryNode& node) { nodes.push_back(&node); });
    const CCategoryNode& node = *nodes[random() % nodes.size()];
    BudgetPlan plan;
    plan.monthly = static_cast<Amount>(random() % 3 * 100);
    plan.from = 2026 * kMonthsInYear + static_cast<MonthIndex>(random() % 2);
    if (random() % 3 == 0) {
        plan.year = 2026;
        plan.months[random() % kMonthsInYear] = plan.monthly;
    }
    if (random() % 4 == 0) {
        RemoveBudget(doc, node);
    } else {
        SetBudget(doc, node, plan, random() % 2 == 0);
    }
}

// A schedule added, changed or deleted, or due occurrences recorded or skipped, through the
// commands.
void RandomScheduleChange(CVerdalonDoc& doc, std::mt19937& random) {
    constexpr DayNumber kFirst = 146000;
    const auto below = [&random](std::uint32_t n) {
        return static_cast<std::uint32_t>(random() % n);
    };
    std::vector<ItemId> articles;
    ForEachNode(*doc.GetRoot(), [&](const CCategoryNode& node) {
        if (node.AsArticle() != nullptr) {
            articles.push_back(node.m_nId);
        }
    });
    if (articles.empty()) {
        return;
    }
    const int accounts = doc.Accounts().GetCount();
    const ScheduleWhat what{
        articles[below(static_cast<std::uint32_t>(articles.size()))],
        static_cast<Amount>(1 + below(100)),
        accounts > 0 && below(2) == 0
            ? doc.Accounts()
                  .GetAt(static_cast<int>(below(static_cast<std::uint32_t>(accounts))))
                  ->m_nId
            : kNoId,
        below(2) == 0 ? u"аренда" : u""};
    const ScheduleWhen when{kFirst + below(40),
                            static_cast<Repeat>(below(5)),
                            1 + below(3),
                            static_cast<WeekendRule>(below(3)),
                            static_cast<ScheduleEnd>(below(3)),
                            kFirst + 30 + below(60),
                            below(6)};
    const std::vector<Schedule>& items = doc.Schedules().Items();
    const std::uint32_t kind = items.empty() ? 0 : below(5);
    const ItemId id =
        items.empty() ? kNoId : items[below(static_cast<std::uint32_t>(items.size()))].id;
    const std::vector<DueOccurrence> due = DueOccurrences(doc, kFirst + below(100));
    if (kind == 0) {
        (void)AddSchedule(doc, what, when, static_cast<ScheduleMode>(below(2)));
    } else if (kind == 1) {
        ChangeSchedule(doc, id, below(2) == 0 ? what : items[0].what,
                       below(2) == 0 ? when : items[0].when, static_cast<ScheduleMode>(below(2)));
    } else if (kind == 2) {
        DeleteSchedule(doc, id);
    } else if (!due.empty() && kind == 3) {
        (void)RecordOccurrence(doc, due[below(static_cast<std::uint32_t>(due.size()))]);
    } else if (!due.empty()) {
        const std::size_t from = below(static_cast<std::uint32_t>(due.size()));
        SkipOccurrences(doc,
                        std::span(due).subspan(from, std::min<std::size_t>(2, due.size() - from)));
    }
}

} // namespace

void RandomChange(CVerdalonDoc& doc, std::mt19937& random) {
    static const std::u16string kNames[] = {u"Еда",   u"Кафе",   u"Дом",
                                            u"Карта", u"Отпуск", u"Прочее"};
    if (random() % 5 == 0) {
        RandomMemoryChange(doc, random);
        return;
    }
    if (random() % 8 == 0) {
        RandomBudgetChange(doc, random);
        return;
    }
    if (random() % 6 == 0) {
        RandomScheduleChange(doc, random);
        return;
    }
    RandomStyle style;
    style.names = kNames;
    style.fewerDeletions = true;
    style.undoRedo = true;
    test::RandomChange(doc, random, style);
}

} // namespace tamblero::test
