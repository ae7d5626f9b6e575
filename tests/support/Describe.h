// A document's accounts and tree as one text, so two documents compare in one assertion.
#pragma once

#include "storage/VerdalonDoc.h"
#include "tests/support/ScriptedPlatform.h"

#include <string>
#include <vector>

namespace tamblero::test {

// Groups as "name{...}", articles as "name[day:account/amount ...]", accounts first;
// an entry's account shows as its index, "-" for none.
inline std::string Describe(const CAccountList& accounts, const CExpenseGroup& group) {
    std::string out = Utf8(group.GetName()) + "{";
    group.ForEachChild([&](const CCategoryNode& child) {
        if (const CExpenseGroup* inner = child.AsGroup()) {
            out += Describe(accounts, *inner);
            return;
        }
        out += Utf8(child.GetName()) + "[";
        for (const auto& [day, list] : child.AsArticle()->Days()) {
            out += std::to_string(day) + ":";
            for (const CExpenseEntry& e : list.Entries()) {
                const int index = e.m_pAccount == nullptr ? -1 : accounts.IndexOf(e.m_pAccount);
                out += (index < 0 ? std::string("-") : std::to_string(index)) + "/" +
                       std::to_string(e.m_nAmount) + " ";
            }
        }
        out += "]";
    });
    return out + "}";
}

// One entry of a day, for comparing a day's entries in one assertion.
struct Entry {
    const CAccount* account;
    Amount amount;
    friend bool operator==(const Entry&, const Entry&) = default;
};

// The entries of the day in order; none for a day without a bucket.
inline std::vector<Entry> EntriesOf(const CEntryList* list) {
    std::vector<Entry> out;
    if (list != nullptr) {
        for (const CExpenseEntry& e : list->Entries()) {
            out.push_back({e.m_pAccount, e.m_nAmount});
        }
    }
    return out;
}

inline std::string Describe(const CVerdalonDoc& doc) {
    std::string out;
    for (int i = 0; i < doc.Accounts().GetCount(); ++i) {
        out += Utf8(doc.Accounts().GetAt(i)->m_strName) + "=" +
               std::to_string(doc.Accounts().GetAt(i)->Balance()) + ";";
    }
    return doc.GetRoot() != nullptr ? out + Describe(doc.Accounts(), *doc.GetRoot())
                                    : out + "no tree";
}

} // namespace tamblero::test
