// Money put into an account or moved between two, kept from the day the program began to
// keep them: with the expenses paid from an account, its register.
#pragma once

#include "model/Identity.h"
#include "model/Money.h"
#include "period/DayNumber.h"

#include <string>
#include <vector>

namespace tamblero {

class CAccount;

struct CMovement {
    DayNumber m_day = 0;
    // A deposit has no source. A transfer's side is null where its account was deleted,
    // which m_strGoneName then names; a transfer keeps at least one account.
    CAccount* m_pFrom = nullptr;
    CAccount* m_pTo = nullptr;
    Amount m_nAmount = 0; // what the target gains, and a transfer's source loses
    bool m_bTransfer = false;
    std::u16string m_strNote;     // clean (CleanNote); empty for none
    std::u16string m_strGoneName; // the deleted side's last name
    ItemId m_nId = kNoId;
    CStamp m_created; // its order among the movements after a merge

    [[nodiscard]] bool Touches(const CAccount* account) const {
        return account != nullptr && (m_pFrom == account || m_pTo == account);
    }
    // The same movement as the user sees it: its id and order left aside.
    bool operator==(const CMovement& other) const {
        return m_day == other.m_day && m_pFrom == other.m_pFrom && m_pTo == other.m_pTo &&
               m_nAmount == other.m_nAmount && m_bTransfer == other.m_bTransfer &&
               m_strNote == other.m_strNote && m_strGoneName == other.m_strGoneName;
    }
};

// The movements in the order they were recorded; a place is an index.
class CMovementList final {
public:
    [[nodiscard]] int GetCount() const { return static_cast<int>(m_items.size()); }
    [[nodiscard]] bool IsEmpty() const { return m_items.empty(); }
    [[nodiscard]] const CMovement& GetAt(int index) const {
        return m_items[static_cast<std::size_t>(index)];
    }
    [[nodiscard]] CMovement& GetAt(int index) { return m_items[static_cast<std::size_t>(index)]; }
    [[nodiscard]] const std::vector<CMovement>& Items() const { return m_items; }

    void Insert(int index, CMovement movement) {
        m_items.insert(m_items.begin() + index, std::move(movement));
    }
    CMovement TakeAt(int index) {
        CMovement taken = std::move(m_items[static_cast<std::size_t>(index)]);
        m_items.erase(m_items.begin() + index);
        return taken;
    }
    void Append(std::vector<CMovement> movements) {
        m_items.insert(m_items.end(), std::make_move_iterator(movements.begin()),
                       std::make_move_iterator(movements.end()));
    }
    void Clear() { m_items.clear(); }

private:
    std::vector<CMovement> m_items;
};

} // namespace tamblero
