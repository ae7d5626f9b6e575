#include "model/DeriveIds.h"

#include "model/Account.h"
#include "model/CategoryNode.h"
#include "model/Movements.h"
#include "model/Notes.h"

#include <unordered_map>
#include <utility>

namespace tamblero {
namespace {

// Order stamps for items read without them: before every stamp a clock makes (millis near
// 0), in the order the file had.
CStamp OrderStamp(std::size_t index) {
    return {index >> 16, static_cast<std::uint16_t>(index & 0xFFFF), DeviceId::None};
}

// Gives each hash in turn its index among the equal hashes before it, mixed in.
class CEqualCounter final {
public:
    std::uint64_t Next(std::uint64_t hash) {
        const std::uint32_t k = m_seen[hash]++;
        return k == 0 ? hash : CIdHash{}.Add(hash).Add(k).Value();
    }
    void Clear() { m_seen.clear(); }

private:
    std::unordered_map<std::uint64_t, std::uint32_t> m_seen;
};

void DeriveNodes(CExpenseGroup& group, std::uint64_t pathHash) {
    CEqualCounter equal;
    std::size_t groupIndex = 0;
    std::size_t articleIndex = 0;
    group.ForEachChild([&](CCategoryNode& child) {
        const std::uint64_t hash = equal.Next(
            CIdHash{}.Add(pathHash).Add(child.IsGroup() ? 1 : 2).Add(child.GetName()).Value());
        if (child.m_nId == kNoId) {
            child.m_nId = DerivedId(hash);
            child.m_placeStamp = OrderStamp(child.IsGroup() ? groupIndex : articleIndex);
        }
        ++(child.IsGroup() ? groupIndex : articleIndex);
        if (CExpenseGroup* sub = child.AsGroup()) {
            DeriveNodes(*sub, hash);
        }
    });
}

ItemId IdOf(const CAccount* account) {
    return account != nullptr ? account->m_nId : kNoId;
}

void DeriveExpenses(const CExpenseGroup& group, const CNoteTable& notes,
                    std::unordered_map<NoteKey, std::uint64_t>& noteHashes, CEqualCounter& equal) {
    group.ForEachChild([&](CCategoryNode& child) {
        if (const CExpenseGroup* sub = child.AsGroup()) {
            DeriveExpenses(*sub, notes, noteHashes, equal);
            return;
        }
        // Walked as const: ids are no amounts, so the day map's running sums stay valid.
        const CDayMap& days = std::as_const(*child.AsArticle()).Days();
        for (const auto& [day, constList] : days) {
            auto& list = const_cast<CEntryList&>(constList);
            bool missing = false;
            for (const CExpenseEntry& e : list.Entries()) {
                missing = missing || e.m_nId == kNoId;
            }
            if (!missing) {
                continue;
            }
            equal.Clear();
            for (int i = 0; i < list.GetCount(); ++i) {
                const CExpenseEntry& e = list.GetAt(i);
                std::uint64_t noteHash = 0;
                if (e.m_nNote != kNoNote) {
                    auto [it, added] = noteHashes.try_emplace(e.m_nNote, 0);
                    if (added) {
                        it->second = CIdHash{}.Add(notes.Text(e.m_nNote)).Value();
                    }
                    noteHash = it->second;
                }
                const std::uint64_t hash = equal.Next(ExpenseContentHash(
                    child.m_nId, day, e.m_nAmount, IdOf(e.m_pAccount), noteHash));
                if (e.m_nId == kNoId) {
                    list.SetId(i, DerivedId(hash));
                }
            }
        }
    });
}

} // namespace

std::uint64_t ExpenseContentHash(ItemId article, std::int64_t day, std::int32_t amount,
                                 ItemId account, std::uint64_t noteHash) {
    return CIdHash{}
        .Add(article)
        .Add(static_cast<std::uint64_t>(day) << 32 | static_cast<std::uint32_t>(amount))
        .Add(account)
        .Add(noteHash)
        .Value();
}

void DeriveMissingIds(CExpenseGroup& root, CAccountList& accounts, CMovementList& movements,
                      const CNoteTable& notes) {
    if (root.m_nId == kNoId) {
        root.m_nId = DerivedId(CIdHash{}.Add(0).Value());
    }
    DeriveNodes(root, root.m_nId);

    CEqualCounter equal;
    for (int i = 0; i < accounts.GetCount(); ++i) {
        CAccount& account = *accounts.GetAt(i);
        const std::uint64_t hash = equal.Next(CIdHash{}.Add(3).Add(account.m_strName).Value());
        if (account.m_nId == kNoId) {
            account.m_nId = DerivedId(hash);
            account.m_created = OrderStamp(static_cast<std::size_t>(i));
        }
    }
    equal.Clear();
    for (int i = 0; i < movements.GetCount(); ++i) {
        CMovement& m = movements.GetAt(i);
        const std::uint64_t hash = equal.Next(CIdHash{}
                                                  .Add(4)
                                                  .Add(static_cast<std::uint64_t>(m.m_day) << 32 |
                                                       static_cast<std::uint32_t>(m.m_nAmount))
                                                  .Add(m.m_bTransfer ? 1 : 0)
                                                  .Add(IdOf(m.m_pFrom))
                                                  .Add(IdOf(m.m_pTo))
                                                  .Add(m.m_strNote)
                                                  .Add(m.m_strGoneName)
                                                  .Value());
        if (m.m_nId == kNoId) {
            m.m_nId = DerivedId(hash);
            m.m_created = OrderStamp(static_cast<std::size_t>(i));
        }
    }
    std::unordered_map<NoteKey, std::uint64_t> noteHashes;
    DeriveExpenses(root, notes, noteHashes, equal);
}

} // namespace tamblero
