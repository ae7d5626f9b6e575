#include "tests/support/RandomChanges.h"

#include "app/core/DocumentChanges.h"
#include "app/core/Transfer.h"
#include "model/CategoryNode.h"
#include "storage/VerdalonDoc.h"
#include "tests/support/ScriptedPlatform.h"

#include <algorithm>
#include <climits>
#include <tuple>
#include <vector>

namespace tamblero::test {
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

void RandomChange(CVerdalonDoc& doc, std::mt19937& random, const RandomStyle& style) {
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
    const std::u16string& name = style.names[static_cast<std::size_t>(below(style.names.size()))];
    const int accounts = doc.Accounts().GetNameableCount();
    const auto anyDay = [&] {
        if (style.extremes && below(4) == 0) {
            return below(2) == 0 ? DayNumber{0} : kLastValidDay;
        }
        return style.firstDay + static_cast<DayNumber>(below(static_cast<std::size_t>(style.days)));
    };
    const auto anyAmount = [&]() -> Amount {
        if (style.extremes && below(3) == 0) {
            return below(2) == 0 ? INT32_MIN : below(500) - 500;
        }
        return below(static_cast<std::size_t>(style.maxAmount)) + 1;
    };
    const auto anyAccount = [&] { return below(static_cast<std::size_t>(accounts) + 1) - 1; };
    const bool deleting = !style.fewerDeletions || below(2) == 0;
    if (style.answers != nullptr) {
        style.answers->Answer(below(2) == 0 ? MsgResult::Yes : MsgResult::No);
    }
    CExpenseArticle* article = nullptr;
    DayNumber day = 0;
    int slot = 0;
    switch (below(style.undoRedo ? 17 : 15)) {
    case 0:
        AddNode(doc, *groups[static_cast<std::size_t>(below(groups.size()))], name, below(2) == 0);
        break;
    case 1:
        if (some->GetParent() != nullptr) {
            RenameNode(doc, *some, name);
        }
        break;
    case 2:
        if (some->GetParent() != nullptr && deleting) {
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
                       {anyDay(), anyAmount(), anyAccount(),
                        below(2) == 0 ? std::u16string() : u"#отпуск " + name});
        }
        break;
    case 7:
        if (PickExpense(articles, random, article, day, slot)) {
            UndoExpense(doc, *article, day, article->FindDay(day)->GetAt(slot), slot);
        }
        break;
    case 8: // an expense corrected: its amount, day, account, note or article
        if (PickExpense(articles, random, article, day, slot)) {
            const CExpenseEntry entry = article->FindDay(day)->GetAt(slot);
            ExpenseInput input = ExpenseInputOf(doc, day, entry);
            input.amount = below(2) == 0 ? input.amount : anyAmount();
            input.day = below(2) == 0 ? input.day : anyDay();
            input.accountIndex = below(2) == 0 ? input.accountIndex : anyAccount();
            input.note = below(2) == 0 ? input.note : name;
            EditExpense(doc, *article, day, entry, slot,
                        *articles[static_cast<std::size_t>(below(articles.size()))], input);
        }
        break;
    case 9: // a note given, changed or taken away
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
        if (doc.Accounts().GetCount() > (style.fewerDeletions ? 1 : 0) && deleting) {
            DeleteAccount(doc, below(static_cast<std::size_t>(doc.Accounts().GetCount())));
        }
        break;
    case 13:
        if (accounts > 0) {
            const int target = below(static_cast<std::size_t>(accounts));
            const int source = below(2) == 0 ? -1 : below(static_cast<std::size_t>(accounts));
            const std::u16string note = below(2) == 0 ? std::u16string() : name;
            const Amount amount = style.extremes && below(4) == 0 ? INT32_MIN : below(1000) + 1;
            if (style.confirmTransfers) {
                const std::string digits = std::to_string(amount);
                static_cast<void>(ConfirmTransfer(doc, target, source >= 0, std::max(source, 0),
                                                  std::u16string(digits.begin(), digits.end()),
                                                  anyDay(), note));
            } else {
                MoveMoney(doc, {anyDay(), source == target ? -1 : source, target, amount, note});
            }
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
