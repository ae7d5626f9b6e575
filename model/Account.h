// Money accounts and the ordered list of them; an account's index is its position.
#pragma once

#include "model/Identity.h"
#include "model/Money.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tamblero {

class CExpenseGroup;

class CAccount {
public:
    CAccount();
    virtual ~CAccount() = default;
    CAccount(const CAccount&) = delete;
    CAccount& operator=(const CAccount&) = delete;

    // An account as the data file stores it, balance included: the one way to start an
    // account at a balance other than 0.
    [[nodiscard]] static std::unique_ptr<CAccount> FromFile(std::u16string name, Amount balance,
                                                            std::uint16_t legacyId = 0);

    [[nodiscard]] Amount Balance() const { return m_nBalance; }
    // Whether the balance stays within an Amount after a change by delta (64 bits: the change
    // of an amount of -2147483648 taken back is +2147483648). Where it would not, tells the
    // user, naming the account and the change, and answers false. Changes nothing.
    [[nodiscard]] bool FitsChangeBy(std::int64_t delta) const;
    // Whether the balance may change by delta: refused as FitsChangeBy refuses, before any
    // question; then asks the user when a balance of zero or more would turn negative, and
    // answers false on a No. Changes nothing. Every change of a balance the user makes goes
    // through here first.
    [[nodiscard]] bool MayChangeBy(std::int64_t delta) const;
    // Adds delta to the balance without asking: for a change the user has already agreed
    // to, such as one MayChangeBy allowed or an import whose summary said so.
    void AdjustBalance(Amount delta) { m_nBalance = WrapAdd(m_nBalance, delta); }

    // The name as one line that cannot turn the text around it, for a status bar or a message:
    // line breaks and other controls become blanks, the bidi controls go (an override would
    // reverse all that follows), and the name is isolated (U+2068 .. U+2069), so that one in a
    // right-to-left script keeps its own order and leaves what follows it after it.
    [[nodiscard]] std::u16string ShownName() const;

    std::u16string m_strName;
    std::uint16_t m_nLegacyId = 0;
    // The account's lasting id; when it was made (its order in the list), its name last
    // changed and its opening balance was set. The opening is what the balance holds beyond
    // its movements and expenses: a merge rebuilds the balance from it.
    ItemId m_nId = kNoId;
    CStamp m_created;
    CStamp m_nameStamp;
    CStamp m_openingStamp;

private:
    Amount m_nBalance = 0;
};

class CAccountList final {
public:
    // One byte names an entry's account in the data file, 255 meaning none.
    static constexpr int kMaxAccounts = 255;
    static constexpr std::uint8_t kNoAccount = 255;

    [[nodiscard]] int GetCount() const { return static_cast<int>(m_accounts.size()); }
    // The accounts an entry may name: the first kMaxAccounts. Older files may hold more.
    [[nodiscard]] int GetNameableCount() const { return std::min(GetCount(), kMaxAccounts); }
    [[nodiscard]] CAccount* GetAt(int index) const {
        return m_accounts[static_cast<std::size_t>(index)].get();
    }

    // Appends a new account named "Новый счет", or the given name, with balance 0.
    // Answers null, creating nothing, when the list is full.
    CAccount* CreateAccount(const std::u16string* name = nullptr);
    [[nodiscard]] bool IsFull() const { return GetCount() >= kMaxAccounts; }

    // Takes the account out of the list as it is, entries' references and all, to be put
    // back by InsertAt.
    [[nodiscard]] std::unique_ptr<CAccount> TakeAt(int index);
    void InsertAt(int index, std::unique_ptr<CAccount> account);

    [[nodiscard]] std::uint8_t IndexOf(const CAccount* account) const;
    // The place of the account with that lasting id; -1 when none has it.
    [[nodiscard]] int IndexOfId(ItemId id) const;

    // Every balance added up in 64 bits, as the window shows the total: it never wraps.
    [[nodiscard]] std::int64_t TotalBalance() const;

    // Whether every place holds an account of its own and, given a tree, every entry under
    // it names one of these accounts or none. For tests and checks.
    [[nodiscard]] bool Valid(const CExpenseGroup* root = nullptr) const;

    // For the data-file reader: appends accounts read as a whole.
    void AppendAll(std::vector<std::unique_ptr<CAccount>> accounts);

private:
    std::vector<std::unique_ptr<CAccount>> m_accounts;
};

// The first account of every legacy id, for resolving a whole old file's entries without
// a search of the list per entry. Sized by the accounts, not by the id range.
class CLegacyIdTable final {
public:
    explicit CLegacyIdTable(const CAccountList& accounts);
    [[nodiscard]] CAccount* Find(std::uint16_t id) const;

private:
    std::vector<std::pair<std::uint16_t, CAccount*>> m_byId; // sorted by id, one per id
};

} // namespace tamblero
