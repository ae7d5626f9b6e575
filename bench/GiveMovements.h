// Deposits and transfers for the benchmarks: a given number spread over the accounts and the
// days, as a user records pay, top-ups and moves between cards; one in five has a note, one
// in a hundred names an account deleted since. The same arguments give the same movements.
#pragma once

#include "model/Account.h"
#include "model/Movements.h"
#include "period/DayNumber.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace tamblero::bench {

// The accounts' balances move with them, as the dialogs move them; none without an account.
inline std::vector<CMovement> MakeMovements(CAccountList& accounts, DayNumber first, DayNumber last,
                                            std::size_t count) {
    std::vector<CMovement> made;
    const auto n = static_cast<std::uint32_t>(accounts.GetCount());
    if (n == 0 || last < first) {
        return made;
    }
    static const char16_t* const notes[] = {u"зарплата #работа", u"аванс #работа", u"на карту",
                                            u"кэшбэк", u"возврат долга"};
    std::uint64_t state = 0x2545F4914F6CDD1DULL;
    const auto below = [&state](std::uint32_t limit) { // xorshift64*
        state ^= state >> 12U;
        state ^= state << 25U;
        state ^= state >> 27U;
        return static_cast<std::uint32_t>(((state * 0x2545F4914F6CDD1DULL) >> 32U) % limit);
    };
    made.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        CMovement m;
        m.m_day = first + below(last - first + 1);
        m.m_nAmount = static_cast<Amount>(100 + below(50000));
        const std::uint32_t to = below(n);
        m.m_pTo = accounts.GetAt(static_cast<int>(to));
        if (n > 1 && below(3) == 0) {
            m.m_bTransfer = true;
            m.m_pFrom = accounts.GetAt(static_cast<int>((to + 1 + below(n - 1)) % n));
        }
        if (below(100) == 0) {
            m.m_bTransfer = true;
            m.m_pFrom = nullptr;
            m.m_strGoneName = u"Старая карта";
        }
        if (i % 5 == 0) {
            m.m_strNote = notes[i / 5 % std::size(notes)];
        }
        m.m_pTo->AdjustBalance(m.m_nAmount);
        if (m.m_pFrom != nullptr) {
            m.m_pFrom->AdjustBalance(WrapNeg(m.m_nAmount));
        }
        made.push_back(std::move(m));
    }
    // Recorded about as they happened.
    std::stable_sort(made.begin(), made.end(),
                     [](const CMovement& a, const CMovement& b) { return a.m_day < b.m_day; });
    return made;
}

} // namespace tamblero::bench
