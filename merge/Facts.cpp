#include "merge/Facts.h"

#include "storage/VerdalonDoc.h"

#include <unordered_map>

namespace tamblero {
namespace {

template <class T> void SortById(std::vector<T>& list) {
    std::sort(list.begin(), list.end(), [](const T& a, const T& b) { return a.id < b.id; });
}

void TakeNode(const CLedgerIds& ids, const CCategoryNode& node, Facts& facts) {
    const CExpenseGroup* parent = node.GetParent();
    facts.nodes.push_back({GlobalId(ids, node.m_nId),
                           parent != nullptr ? GlobalId(ids, parent->m_nId) : GId{}, node.IsGroup(),
                           node.GetName(), node.m_nameStamp, node.m_placeStamp});
}

std::vector<GoneFact> TakeGone(const CLedgerIds& ids, const std::vector<Tombstone>& list) {
    std::vector<GoneFact> out;
    out.reserve(list.size());
    for (const Tombstone& t : list) {
        out.push_back(
            {GlobalId(ids, t.id), t.stamp, t.forward != kNoId ? GlobalId(ids, t.forward) : GId{}});
    }
    SortById(out);
    return out;
}

} // namespace

GId GlobalId(const CLedgerIds& ids, ItemId id) {
    if (id == kNoId || IsDerived(id)) {
        return {0, id};
    }
    return {static_cast<std::uint64_t>(ids.DeviceOf(id)), SeqOf(id)};
}

Facts TakeFacts(const CVerdalonDoc& doc) {
    const CLedgerIds& ids = doc.Ids();
    Facts facts;
    const CExpenseGroup* root = doc.GetRoot();
    if (root == nullptr) {
        return facts;
    }
    facts.root = GlobalId(ids, root->m_nId);
    TakeNode(ids, *root, facts);

    // An account's opening: what its balance holds beyond its movements and expenses.
    std::unordered_map<const CAccount*, std::int64_t> opening;
    for (int i = 0; i < doc.Accounts().GetCount(); ++i) {
        opening[doc.Accounts().GetAt(i)] = doc.Accounts().GetAt(i)->Balance();
    }
    const auto globalOf = [&ids](const CAccount* account) {
        return account != nullptr ? GlobalId(ids, account->m_nId) : GId{};
    };
    ForEachNode(*root, [&](const CCategoryNode& node) {
        TakeNode(ids, node, facts);
        const CExpenseArticle* article = node.AsArticle();
        if (article == nullptr) {
            return;
        }
        const GId articleId = facts.nodes.back().id;
        for (const auto& [day, list] : article->Days()) {
            for (const CExpenseEntry& e : list.Entries()) {
                if (e.m_pAccount != nullptr) {
                    opening[e.m_pAccount] += e.m_nAmount;
                }
                facts.expenses.push_back({GlobalId(ids, e.m_nId), articleId, globalOf(e.m_pAccount),
                                          doc.Notes().Text(e.m_nNote), day, e.m_nAmount});
            }
        }
    });
    for (const CMovement& m : doc.Movements().Items()) {
        if (m.m_pTo != nullptr) {
            opening[m.m_pTo] -= m.m_nAmount;
        }
        if (m.m_pFrom != nullptr) {
            opening[m.m_pFrom] += m.m_nAmount;
        }
        facts.movements.push_back({GlobalId(ids, m.m_nId), m.m_created, m.m_day,
                                   globalOf(m.m_pFrom), globalOf(m.m_pTo), m.m_nAmount,
                                   m.m_bTransfer, m.m_strNote, m.m_strGoneName});
    }
    for (int i = 0; i < doc.Accounts().GetCount(); ++i) {
        const CAccount& a = *doc.Accounts().GetAt(i);
        facts.accounts.push_back({GlobalId(ids, a.m_nId), a.m_strName, opening[&a], a.m_created,
                                  a.m_nameStamp, a.m_openingStamp});
    }
    for (const auto& [id, stamps] : ids.m_expenseStamps) {
        if (!(stamps == ExpenseStamps{})) {
            facts.expenseStamps.push_back({GlobalId(ids, id), stamps});
        }
    }
    for (const auto& [id, stamp] : ids.m_goneExpenses) {
        facts.goneExpenses.push_back({GlobalId(ids, id), stamp, {}});
    }
    facts.goneNodes = TakeGone(ids, ids.m_goneNodes);
    facts.goneAccounts = TakeGone(ids, ids.m_goneAccounts);
    facts.goneMovements = TakeGone(ids, ids.m_goneMovements);
    SortFacts(facts);
    return facts;
}

void SortFacts(Facts& facts) {
    SortById(facts.nodes);
    SortById(facts.accounts);
    SortById(facts.movements);
    SortById(facts.expenses);
    SortById(facts.expenseStamps);
    SortById(facts.goneExpenses);
    SortById(facts.goneNodes);
    SortById(facts.goneAccounts);
    SortById(facts.goneMovements);
}

} // namespace tamblero
