#include "model/Account.h"

#include "model/CategoryNode.h"
#include "model/ModelHost.h"
#include "resources/StringTable.h"

#include <algorithm>
#include <limits>

namespace tamblero {

CAccount::CAccount() : m_strName(LoadString(IDS_NEW_ACCOUNT)) {}

std::unique_ptr<CAccount> CAccount::FromFile(std::u16string name, Amount balance,
                                             std::uint16_t legacyId) {
    auto account = std::make_unique<CAccount>();
    account->m_strName = std::move(name);
    account->m_nBalance = balance;
    account->m_nLegacyId = legacyId;
    return account;
}

std::u16string CAccount::ShownName() const {
    std::u16string out(1, u'\u2068');
    for (const char16_t c : m_strName) {
        const bool bidi = c == u'\u061C' || c == u'\u200E' || c == u'\u200F' ||
                          (c >= u'\u202A' && c <= u'\u202E') || (c >= u'\u2066' && c <= u'\u2069');
        const bool breaks =
            c < u' ' || (c >= u'\u007F' && c <= u'\u009F') || c == u'\u2028' || c == u'\u2029';
        if (!bidi) {
            out += breaks ? u' ' : c;
        }
    }
    return out + u'\u2069';
}

bool CAccount::FitsChangeBy(std::int64_t delta) const {
    const std::int64_t after = std::int64_t{m_nBalance} + delta;
    if (after >= std::numeric_limits<Amount>::min() &&
        after <= std::numeric_limits<Amount>::max()) {
        return true;
    }
    // Refused with or without a frame: the balance would wrap round to its opposite.
    if (g_pMainFrame != nullptr) {
        g_pMainFrame->NotifyBalanceOutOfRange(ShownName(), delta, after);
    }
    return false;
}

bool CAccount::MayChangeBy(std::int64_t delta) const {
    if (!FitsChangeBy(delta)) {
        return false;
    }
    // Without a frame there is nobody to ask, and the change goes on as after any answer
    // but No.
    return m_nBalance < 0 || m_nBalance + delta >= 0 || g_pMainFrame == nullptr ||
           g_pMainFrame->ConfirmNegativeBalance();
}

CAccount* CAccountList::CreateAccount(const std::u16string* name) {
    if (IsFull()) {
        return nullptr;
    }
    auto account = std::make_unique<CAccount>();
    if (name != nullptr) {
        account->m_strName = *name;
    }
    m_accounts.push_back(std::move(account));
    return m_accounts.back().get();
}

std::unique_ptr<CAccount> CAccountList::TakeAt(int index) {
    std::unique_ptr<CAccount> taken = std::move(m_accounts[static_cast<std::size_t>(index)]);
    m_accounts.erase(m_accounts.begin() + index);
    return taken;
}

void CAccountList::InsertAt(int index, std::unique_ptr<CAccount> account) {
    m_accounts.insert(m_accounts.begin() + index, std::move(account));
}

std::uint8_t CAccountList::IndexOf(const CAccount* account) const {
    if (account != nullptr) {
        for (std::size_t i = 0; i < m_accounts.size() && i < kNoAccount; ++i) {
            if (m_accounts[i].get() == account) {
                return static_cast<std::uint8_t>(i);
            }
        }
    }
    return kNoAccount;
}

int CAccountList::IndexOfId(ItemId id) const {
    if (id == kNoId) {
        return -1;
    }
    const auto it =
        std::find_if(m_accounts.begin(), m_accounts.end(),
                     [id](const std::unique_ptr<CAccount>& a) { return a->m_nId == id; });
    return it == m_accounts.end() ? -1 : static_cast<int>(it - m_accounts.begin());
}

std::int64_t CAccountList::TotalBalance() const {
    std::int64_t total = 0;
    for (const auto& account : m_accounts) {
        total += account->Balance();
    }
    return total;
}

bool CAccountList::Valid(const CExpenseGroup* root) const {
    std::vector<const CAccount*> sorted;
    sorted.reserve(m_accounts.size());
    for (const auto& account : m_accounts) {
        sorted.push_back(account.get());
    }
    std::sort(sorted.begin(), sorted.end());
    if (std::find(sorted.begin(), sorted.end(), nullptr) != sorted.end() ||
        std::adjacent_find(sorted.begin(), sorted.end()) != sorted.end()) {
        return false;
    }
    bool valid = true;
    if (root != nullptr) {
        root->ForEachArticleBelow([&](const CExpenseArticle& article) {
            for (const auto& [day, list] : article.Days()) {
                for (const CExpenseEntry& entry : list.Entries()) {
                    valid = valid &&
                            (entry.m_pAccount == nullptr ||
                             std::binary_search(sorted.begin(), sorted.end(), entry.m_pAccount));
                }
            }
        });
    }
    return valid;
}

void CAccountList::AppendAll(std::vector<std::unique_ptr<CAccount>> accounts) {
    for (auto& account : accounts) {
        m_accounts.push_back(std::move(account));
    }
}

CLegacyIdTable::CLegacyIdTable(const CAccountList& accounts) {
    m_byId.reserve(static_cast<std::size_t>(accounts.GetCount()));
    for (int i = 0; i < accounts.GetCount(); ++i) {
        m_byId.emplace_back(accounts.GetAt(i)->m_nLegacyId, accounts.GetAt(i));
    }
    // Stable, so the first account in list order stays first among equal ids.
    std::stable_sort(m_byId.begin(), m_byId.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    m_byId.erase(std::unique(m_byId.begin(), m_byId.end(),
                             [](const auto& a, const auto& b) { return a.first == b.first; }),
                 m_byId.end());
}

CAccount* CLegacyIdTable::Find(std::uint16_t id) const {
    const auto it =
        std::lower_bound(m_byId.begin(), m_byId.end(), id,
                         [](const auto& entry, std::uint16_t key) { return entry.first < key; });
    return it != m_byId.end() && it->first == id ? it->second : nullptr;
}

} // namespace tamblero
