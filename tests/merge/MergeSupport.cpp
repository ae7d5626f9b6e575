#include "tests/merge/MergeSupport.h"

#include "model/CategoryNode.h"

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
    doc.Ids().m_expenseStamps.clear();
    doc.Ids().m_goneExpenses.clear();
    doc.Ids().m_goneNodes.clear();
    doc.Ids().m_goneAccounts.clear();
    doc.Ids().m_goneMovements.clear();
    doc.CompleteIds();
}

namespace {

std::vector<CCategoryNode*> Nodes(CExpenseGroup& root) {
    std::vector<CCategoryNode*> nodes{&root};
    ForEachNode(root, [&](CCategoryNode& node) { nodes.push_back(&node); });
    return nodes;
}

// A random expense of the document: its article, day and slot; false for none.
bool PickExpense(const std::vector<CExpenseArticle*>& articles, std::mt19937& random,
                 CExpenseArticle*& article, DayNumber& day, int& slot) {
    std::vector<std::tuple<CExpenseArticle*, DayNumber, int>> all;
    for (CExpenseArticle* a : articles) {
        for (const auto& [d, list] : std::as_const(*a).Days()) {
            for (int i = 0; i < list.GetCount(); ++i) {
                all.emplace_back(a, d, i);
            }
        }
    }
    if (all.empty()) {
        return false;
    }
    std::tie(article, day, slot) = all[random() % all.size()];
    return true;
}

} // namespace

void RandomChange(CVerdalonDoc& doc, std::mt19937& random) {
    const auto below = [&](std::size_t n) { return static_cast<int>(random() % n); };
    const std::vector<CCategoryNode*> nodes = Nodes(*doc.GetRoot());
    std::vector<CExpenseGroup*> groups;
    std::vector<CExpenseArticle*> articles;
    for (CCategoryNode* node : nodes) {
        if (node->IsGroup()) {
            groups.push_back(node->AsGroup());
        } else {
            articles.push_back(node->AsArticle());
        }
    }
    CCategoryNode* some = nodes[static_cast<std::size_t>(below(nodes.size()))];
    static const std::u16string kNames[] = {u"Еда",   u"Кафе",   u"Дом",
                                            u"Карта", u"Отпуск", u"Прочее"};
    const std::u16string& name = kNames[below(std::size(kNames))];
    const int accounts = doc.Accounts().GetNameableCount();
    CExpenseArticle* article = nullptr;
    DayNumber day = 0;
    int slot = 0;
    switch (below(17)) {
    case 0:
        AddNode(doc, *groups[static_cast<std::size_t>(below(groups.size()))], name, below(2) == 0);
        break;
    case 1:
        if (some->GetParent() != nullptr) {
            RenameNode(doc, *some, name);
        }
        break;
    case 2:
        if (some->GetParent() != nullptr && below(2) == 0) {
            DeleteNode(doc, *some);
        }
        break;
    case 3:
        if (articles.size() >= 2) {
            const int a = below(articles.size());
            const int b = (a + 1 + below(articles.size() - 1)) % static_cast<int>(articles.size());
            MergeArticles(doc, *articles[static_cast<std::size_t>(a)],
                          *articles[static_cast<std::size_t>(b)]);
        }
        break;
    case 4: {
        CExpenseGroup* to = groups[static_cast<std::size_t>(below(groups.size()))];
        if (some->GetParent() != nullptr && !to->IsWithin(some) && to->CanHold(*some)) {
            MoveNode(doc, *some, *to);
        }
        break;
    }
    case 5:
    case 6:
        if (!articles.empty()) {
            AddExpense(doc, *articles[static_cast<std::size_t>(below(articles.size()))],
                       {146000 + static_cast<DayNumber>(below(20)), below(500) + 1,
                        below(static_cast<std::size_t>(accounts) + 1) - 1,
                        below(2) == 0 ? std::u16string() : name});
        }
        break;
    case 7:
        if (PickExpense(articles, random, article, day, slot)) {
            UndoExpense(doc, *article, day, article->FindDay(day)->GetAt(slot), slot);
        }
        break;
    case 8:
        if (PickExpense(articles, random, article, day, slot)) {
            const CExpenseEntry entry = article->FindDay(day)->GetAt(slot);
            ExpenseInput input = ExpenseInputOf(doc, day, entry);
            switch (below(4)) {
            case 0:
                input.amount = below(500) + 1;
                break;
            case 1:
                input.day = 146000 + static_cast<DayNumber>(below(20));
                break;
            case 2:
                input.accountIndex = below(static_cast<std::size_t>(accounts) + 1) - 1;
                break;
            default:
                input.note = name;
                break;
            }
            EditExpense(doc, *article, day, entry, slot,
                        *articles[static_cast<std::size_t>(below(articles.size()))], input);
        }
        break;
    case 9:
        if (PickExpense(articles, random, article, day, slot)) {
            SetNote(doc, *article, day, article->FindDay(day)->GetAt(slot),
                    below(3) == 0 ? std::u16string() : name, slot);
        }
        break;
    case 10:
        NewAccount(doc);
        break;
    case 11:
        if (doc.Accounts().GetCount() > 0) {
            RenameAccount(doc, below(static_cast<std::size_t>(doc.Accounts().GetCount())), name);
        }
        break;
    case 12:
        if (doc.Accounts().GetCount() > 1 && below(2) == 0) {
            DeleteAccount(doc, below(static_cast<std::size_t>(doc.Accounts().GetCount())));
        }
        break;
    case 13:
        if (accounts > 0) {
            const int target = below(static_cast<std::size_t>(accounts));
            const int source = below(2) == 0 ? -1 : below(static_cast<std::size_t>(accounts));
            MoveMoney(doc,
                      {146000 + static_cast<DayNumber>(below(20)), source == target ? -1 : source,
                       target, below(1000) + 1, below(2) == 0 ? u"" : name});
        }
        break;
    case 14:
        if (!doc.Movements().IsEmpty()) {
            UndoMovement(doc, below(static_cast<std::size_t>(doc.Movements().GetCount())));
        }
        break;
    case 15:
        doc.UndoChange();
        break;
    default:
        doc.RedoChange();
        break;
    }
}

} // namespace tamblero::test
