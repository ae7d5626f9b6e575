#include "model/DeriveIds.h"

#include "model/Account.h"
#include "model/CategoryNode.h"
#include "model/Movements.h"
#include "model/Notes.h"

#include <algorithm>
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

std::uint64_t CExpenseIdDeriver::NoteHash(NoteKey note) {
    if (note == kNoNote) {
        return 0;
    }
    auto [it, added] = m_noteHashes.try_emplace(note, 0);
    if (added) {
        it->second = CIdHash{}.Add(m_notes.Text(note)).Value();
    }
    return it->second;
}

void CExpenseIdDeriver::DayIds(ItemId article, std::int64_t day,
                               std::span<const CExpenseEntry> entries, std::vector<ItemId>& out) {
    // Each hash is mixed with how many equal ones come before it that day: a short day
    // counts them by looking back, a long one in a map.
    constexpr std::size_t kLookBack = 16;
    const std::size_t n = entries.size();
    m_hashes.resize(n);
    out.resize(n);
    const bool counted = n > kLookBack;
    if (counted) {
        m_equal.clear();
    }
    for (std::size_t i = 0; i < n; ++i) {
        const CExpenseEntry& e = entries[i];
        const std::uint64_t hash =
            ExpenseContentHash(article, day, e.m_nAmount, IdOf(e.m_pAccount), NoteHash(e.m_nNote));
        m_hashes[i] = hash;
        std::uint32_t k = 0;
        if (counted) {
            k = m_equal[hash]++;
        } else {
            for (std::size_t j = 0; j < i; ++j) {
                k += m_hashes[j] == hash ? 1U : 0U;
            }
        }
        out[i] = DerivedId(k == 0 ? hash : CIdHash{}.Add(hash).Add(k).Value());
    }
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
    (void)notes;
}

void ExpenseIdsOf(ItemId article, DayNumber day, std::span<const CExpenseEntry> entries,
                  CExpenseIdDeriver& deriver, std::vector<ItemId>& out) {
    const bool pinned = std::all_of(entries.begin(), entries.end(),
                                    [](const CExpenseEntry& e) { return e.m_nId != kNoId; });
    // An article without an id yet (one being built) gives none: its expenses wait for it.
    if (pinned || article == kNoId) {
        out.assign(entries.size(), kNoId);
    } else {
        deriver.DayIds(article, day, entries, out);
    }
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (entries[i].m_nId != kNoId) {
            out[i] = entries[i].m_nId;
        }
    }
}

void PinExpenseIds(CExpenseArticle& article, DayNumber day, const CNoteTable& notes) {
    // Reached as const: ids are no amounts, so the day map's running sums stay valid.
    const CEntryList* constList = std::as_const(article).FindDay(day);
    if (constList == nullptr || article.m_nId == kNoId) {
        return;
    }
    auto& list = const_cast<CEntryList&>(*constList);
    CExpenseIdDeriver deriver(notes);
    std::vector<ItemId> ids;
    ExpenseIdsOf(article.m_nId, day, list.Entries(), deriver, ids);
    for (int i = 0; i < list.GetCount(); ++i) {
        list.SetId(i, ids[static_cast<std::size_t>(i)]);
    }
}

void PinExpenseIds(CCategoryNode& subtree, const CNoteTable& notes) {
    const auto pinArticle = [&notes](CCategoryNode& node) {
        if (CExpenseArticle* article = node.AsArticle()) {
            for (const auto& [day, list] : std::as_const(*article).Days()) {
                PinExpenseIds(*article, day, notes);
            }
        }
    };
    pinArticle(subtree);
    if (const CExpenseGroup* group = subtree.AsGroup()) {
        ForEachNode(*group, pinArticle);
    }
}

} // namespace tamblero
