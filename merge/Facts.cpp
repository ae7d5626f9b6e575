#include "merge/Facts.h"

#include "model/DeriveIds.h"
#include "storage/VerdalonDoc.h"

#include <unordered_map>
#include <unordered_set>

namespace tamblero {
namespace {

struct Key {
    std::uint64_t key;
    std::uint32_t index;
};

// Least significant digit first, 16 bits a pass; a pass where every key has one digit is left out.
void RadixSort(std::vector<Key>& keys) {
    std::vector<Key> other(keys.size());
    for (int shift = 0; shift < 64; shift += 16) {
        std::vector<std::uint32_t> at(0x10001, 0);
        for (const Key& k : keys) {
            ++at[((k.key >> shift) & 0xFFFF) + 1];
        }
        if (std::find(at.begin(), at.end(), keys.size()) != at.end()) {
            continue;
        }
        for (std::size_t d = 1; d < at.size(); ++d) {
            at[d] += at[d - 1];
        }
        for (const Key& k : keys) {
            other[at[(k.key >> shift) & 0xFFFF]++] = k;
        }
        keys.swap(other);
    }
}

template <class T> void SortById(std::vector<T>& list) {
    const auto before = [](const T& a, const T& b) { return a.id < b.id; };
    if (std::is_sorted(list.begin(), list.end(), before)) {
        return;
    }
    if (list.size() < 4096) {
        std::sort(list.begin(), list.end(), before);
        return;
    }
    // A million expenses: keys of 64 bits sorted by their digits, then each item moved once.
    // A device's place among the few devices above its sequence orders as the ids do; ids
    // without a device (derived ones) come first, sorted as they are.
    std::vector<std::uint64_t> devices;
    for (const T& item : list) {
        if (item.id.device != 0 && (devices.empty() || devices.back() != item.id.device) &&
            std::find(devices.begin(), devices.end(), item.id.device) == devices.end()) {
            devices.push_back(item.id.device);
        }
    }
    std::sort(devices.begin(), devices.end());
    std::vector<Key> plain;
    std::vector<Key> keys;
    keys.reserve(list.size());
    std::uint64_t lastDevice = 0;
    std::uint64_t lastRank = 0;
    for (std::size_t i = 0; i < list.size(); ++i) {
        const GId& id = list[i].id;
        if (id.device == 0) {
            plain.push_back({id.value, static_cast<std::uint32_t>(i)});
            continue;
        }
        if (id.device != lastDevice) {
            lastDevice = id.device;
            lastRank = static_cast<std::uint64_t>(
                std::lower_bound(devices.begin(), devices.end(), id.device) - devices.begin());
        }
        keys.push_back(
            {lastRank << kSeqBits | (id.value & kMaxSeq), static_cast<std::uint32_t>(i)});
    }
    std::sort(plain.begin(), plain.end(), [](const Key& a, const Key& b) { return a.key < b.key; });
    RadixSort(keys);
    std::vector<T> sorted;
    sorted.reserve(list.size());
    for (const auto* part : {&plain, &keys}) {
        for (const Key& key : *part) {
            sorted.push_back(std::move(list[key.index]));
        }
    }
    list = std::move(sorted);
}

void TakeNode(const CLedgerIds& ids, const CCategoryNode& node, Facts& facts) {
    const CExpenseGroup* parent = node.GetParent();
    GId under = parent != nullptr ? GlobalId(ids, parent->m_nId) : GId{};
    // The parent a merge could not place it under, while its place is as the merge left it.
    if (const auto held = ids.m_placedFrom.find(node.m_nId);
        held != ids.m_placedFrom.end() && held->second.stamp == node.m_placeStamp) {
        under = GlobalId(ids, held->second.id);
    }
    facts.nodes.push_back({GlobalId(ids, node.m_nId), under, node.IsGroup(), node.GetName(),
                           node.m_nameStamp, node.m_placeStamp});
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

// What a merge kept for an expense beyond what the document shows (the account it found deleted,
// the article it found merged away), while the expense's field is as the merge left it.
GId HeldFor(const CLedgerIds& ids, const std::unordered_map<ItemId, CLedgerIds::HeldId>& held,
            ItemId id, CStamp ExpenseStamps::*field) {
    const auto found = held.find(id);
    if (found == held.end()) {
        return {};
    }
    const auto stamps = ids.m_expenseStamps.find(id);
    const CStamp now = stamps != ids.m_expenseStamps.end() ? stamps->second.*field : CStamp{};
    return now == found->second.stamp ? GlobalId(ids, found->second.id) : GId{};
}

} // namespace

GId GlobalId(const CLedgerIds& ids, ItemId id) {
    if (id == kNoId || IsDerived(id)) {
        return {0, id};
    }
    return {static_cast<std::uint64_t>(ids.DeviceOf(id)), SeqOf(id)};
}

ItemId LocalId(CLedgerIds& ids, const GId& g) {
    if (g.device == 0) {
        return g.value;
    }
    const std::optional<std::uint32_t> slot = ids.SlotFor(static_cast<DeviceId>(g.device));
    return slot ? MakeItemId(*slot, g.value) : kNoId;
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

    // An account's opening: what its balance holds beyond its movements, its expenses and what
    // deleted ones left spent.
    std::unordered_map<const CAccount*, std::int64_t> opening;
    std::unordered_map<ItemId, const CAccount*> accountOf;
    for (int i = 0; i < doc.Accounts().GetCount(); ++i) {
        opening[doc.Accounts().GetAt(i)] = doc.Accounts().GetAt(i)->Balance();
        accountOf.emplace(doc.Accounts().GetAt(i)->m_nId, doc.Accounts().GetAt(i));
    }
    for (const auto& [id, last] : ids.m_lastExpenses) {
        const auto gone = ids.m_goneExpenses.find(id);
        if (gone == ids.m_goneExpenses.end()) {
            continue;
        }
        if (const auto a = accountOf.find(last.account);
            a != accountOf.end() && last.account != kNoId && gone->second == last.spentBy) {
            opening[a->second] += last.amount;
        }
        facts.lastExpenses.push_back({GlobalId(ids, id), GlobalId(ids, last.article), last.day,
                                      last.amount, GlobalId(ids, last.account), last.note,
                                      last.stamps, last.spentBy});
    }
    std::unordered_set<ItemId> buriedNodes;
    for (const Tombstone& t : ids.m_goneNodes) {
        buriedNodes.insert(t.id);
    }
    for (const NodeLast& n : ids.m_lastNodes) {
        if (buriedNodes.contains(n.id)) {
            facts.lastNodes.push_back({GlobalId(ids, n.id), GlobalId(ids, n.parent), n.group,
                                       n.name, n.nameStamp, n.placeStamp});
        }
    }
    std::unordered_set<ItemId> buriedAccounts;
    for (const Tombstone& t : ids.m_goneAccounts) {
        buriedAccounts.insert(t.id);
    }
    for (const AccountLast& a : ids.m_lastAccounts) {
        if (buriedAccounts.contains(a.id)) {
            facts.lastAccounts.push_back(
                {GlobalId(ids, a.id), a.name, a.opening, a.created, a.nameStamp, a.openingStamp});
        }
    }
    const auto globalOf = [&ids](const CAccount* account) {
        return account != nullptr ? GlobalId(ids, account->m_nId) : GId{};
    };
    std::size_t count = 0;
    root->ForEachArticleBelow([&count](const CExpenseArticle& article) {
        for (const auto& bucket : article.Days()) {
            count += static_cast<std::size_t>(bucket.second.GetCount());
        }
    });
    facts.expenses.reserve(count);
    // Accounts change seldom from one expense to the next: the last one's sums and id kept.
    const CAccount* lastAccount = nullptr;
    std::int64_t* lastOpening = nullptr;
    GId lastAccountId;
    CExpenseIdDeriver deriver(doc.Notes());
    std::vector<ItemId> dayIds;
    ForEachNode(*root, [&](const CCategoryNode& node) {
        TakeNode(ids, node, facts);
        const CExpenseArticle* article = node.AsArticle();
        if (article == nullptr) {
            return;
        }
        const GId articleId = facts.nodes.back().id;
        for (const auto& [day, list] : article->Days()) {
            if (list.GetCount() == 0) {
                facts.emptyDays.emplace_back(articleId, day);
            }
            ExpenseIdsOf(node.m_nId, day, list.Entries(), deriver, dayIds);
            std::uint32_t position = 0;
            for (const CExpenseEntry& e : list.Entries()) {
                const ItemId id = dayIds[position];
                if (e.m_pAccount != lastAccount || lastOpening == nullptr) {
                    lastAccount = e.m_pAccount;
                    lastOpening = &opening[e.m_pAccount];
                    lastAccountId = globalOf(e.m_pAccount);
                }
                *lastOpening += e.m_nAmount;
                GId accountId = lastAccountId;
                if (e.m_pAccount == nullptr && !ids.m_goneAccountOf.empty()) {
                    accountId = HeldFor(ids, ids.m_goneAccountOf, id, &ExpenseStamps::account);
                }
                GId recordedIn = articleId;
                if (!ids.m_movedFrom.empty()) {
                    if (const GId from = HeldFor(ids, ids.m_movedFrom, id, &ExpenseStamps::place);
                        !from.IsNone()) {
                        recordedIn = from;
                    }
                }
                facts.expenses.push_back({GlobalId(ids, id), recordedIn, accountId,
                                          doc.Notes().Text(e.m_nNote), day, e.m_nAmount,
                                          position++});
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
        GId from = globalOf(m.m_pFrom);
        GId to = globalOf(m.m_pTo);
        if (const auto gone = ids.m_goneSides.find(m.m_nId);
            m.m_bTransfer && gone != ids.m_goneSides.end()) {
            (m.m_pFrom == nullptr ? from : to) = GlobalId(ids, gone->second);
        }
        facts.movements.push_back({GlobalId(ids, m.m_nId), m.m_created, m.m_day, from, to,
                                   m.m_nAmount, m.m_bTransfer, m.m_strNote, m.m_strGoneName});
    }
    for (const MovementLast& m : ids.m_parkedMovements) {
        facts.parkedMovements.push_back({GlobalId(ids, m.id), m.created, m.day,
                                         GlobalId(ids, m.from), GlobalId(ids, m.to), m.amount,
                                         m.transfer, m.note, m.goneName});
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
    SortById(facts.lastExpenses);
    SortById(facts.lastNodes);
    SortById(facts.lastAccounts);
    SortById(facts.parkedMovements);
    std::sort(facts.emptyDays.begin(), facts.emptyDays.end());
}

} // namespace tamblero
