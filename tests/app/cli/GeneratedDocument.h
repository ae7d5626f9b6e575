// Random documents for the round-trip and journal tests: groups and articles a few levels deep
// whose names hold what CSV and journals treat specially, accounts likewise, and entries over
// the whole range of days and amounts. One seed, one document.
#pragma once

#include "model/CategoryNode.h"
#include "storage/VerdalonDoc.h"

#include <algorithm>
#include <random>

namespace tamblero::test {

// Names that CSV and journals treat specially.
inline const std::vector<std::u16string> kTrickyNames{
    u"Еда",    u"a,b",   u"say \"hi\"", u"two\nlines", u"cr\r",  u"x:y",   u"a  b",    u";lead",
    u"trail ", u" lead", u"tab\there",  u"(par)",      u"*star", u"!bang", u"#hash",   u"Unknown",
    u"[br]",   u"a | b", u"Кино/театр", u"\U0001D11E", u"x:y:",  u"  ",    u"Expenses"};

// Names that a category path must escape to bring back: empty, with its separator inside or
// at either edge, backslashes before slashes and each other.
inline const std::vector<std::u16string> kPathNames{
    u"",   u" / ",     u"x /",   u"x",      u"/ y",      u"y",       u"/",
    u"\\", u"\\\\",    u"a\\/b", u"\\/",    u" \\ ",     u"a \\/ b", u"/ / /",
    u" ",  u"\\ / \\", u"end\\", u"\\\\/ ", u"q\"\n/ r", u"C:\\temp"};

// importable: the sums an import of the document's export reaches, its total and each
// account's balance, stay in the Amount range.
inline void GenerateDocument(CVerdalonDoc& doc, std::uint32_t seed,
                             const std::vector<std::u16string>& nameTable = kTrickyNames,
                             bool importable = false) {
    std::mt19937 random(seed);
    const auto below = [&](std::uint32_t n) { return static_cast<std::uint32_t>(random() % n); };
    const std::uint32_t accounts = below(5);
    const auto nameCount = static_cast<std::uint32_t>(nameTable.size());
    for (std::uint32_t i = 0; i < accounts; ++i) {
        doc.Accounts().CreateAccount(&nameTable[below(nameCount)]);
    }
    // What the amounts add up to on either side, in any order: the whole and per account.
    std::int64_t raised = 0;
    std::int64_t lowered = 0;
    std::vector<std::int64_t> refunded(accounts, 0);
    const auto fill = [&](CExpenseArticle& article) {
        for (std::uint32_t n = below(6); n > 0; --n) {
            const std::uint32_t pick = below(8);
            const DayNumber day = pick == 0 ? 0 : pick == 1 ? kLastValidDay : 146000 + below(3000);
            const std::uint32_t kind = below(10);
            Amount amount = kind == 0   ? INT32_MIN
                            : kind == 1 ? INT32_MAX
                                        : static_cast<Amount>(below(2000)) - 500;
            const std::uint32_t account = below(accounts + 1);
            if (importable) {
                // A balance goes down by the amount: a refund may raise it to INT32_MAX only.
                const bool fits = amount >= 0 ? raised + amount <= INT32_MAX
                                              : lowered + amount >= INT32_MIN &&
                                                    (account == accounts ||
                                                     refunded[account] + amount >= -INT32_MAX);
                amount = fits ? amount : 0;
                (amount >= 0 ? raised : lowered) += amount;
                if (amount < 0 && account < accounts) {
                    refunded[account] += amount;
                }
            }
            article.Days().GetOrCreate(day).Add(
                account < accounts ? doc.Accounts().GetAt(static_cast<int>(account)) : nullptr,
                amount);
            doc.RecordDay(day);
        }
    };
    // Names differ among the groups and among the articles of one parent, which is what a
    // path tells apart; a group and an article may share one.
    const auto build = [&](auto& self, CExpenseGroup& group, int depth) -> void {
        std::vector<std::u16string> names = nameTable;
        std::shuffle(names.begin(), names.end(), random);
        for (std::uint32_t i = 0, n = depth < 3 ? below(3) : 0; i < n; ++i) {
            group.AppendLoaded(std::make_unique<CExpenseGroup>(names[i], &group));
            self(self, *group.Groups().back(), depth + 1);
        }
        std::shuffle(names.begin(), names.end(), random);
        for (std::uint32_t i = 0, n = below(4); i < n; ++i) {
            group.AppendLoaded(std::make_unique<CExpenseArticle>(names[i], &group));
            fill(*group.Articles().back());
        }
    };
    build(build, *doc.GetRoot(), 0);
    // Ids as a file without them gets them when read.
    doc.CompleteIds();
}

// Deposits and transfers among the document's accounts, their balances moved with them as
// the dialog moves them; some transfers have a deleted account on one side.
inline void GenerateMovements(CVerdalonDoc& doc, std::uint32_t seed) {
    std::mt19937 random(seed ^ 0x9E3779B9U);
    const auto below = [&](std::uint32_t n) { return static_cast<std::uint32_t>(random() % n); };
    const auto accounts = static_cast<std::uint32_t>(doc.Accounts().GetCount());
    if (accounts == 0) {
        return;
    }
    for (std::uint32_t n = below(6); n > 0; --n) {
        CMovement m;
        m.m_day = below(4) == 0 ? kLastValidDay : 146000 + below(3000);
        m.m_nAmount = static_cast<Amount>(below(5000)) - 1000;
        m.m_pTo = doc.Accounts().GetAt(static_cast<int>(below(accounts)));
        m.m_strNote = below(2) == 0 ? u"" : u"зарплата #работа";
        if (accounts > 1 && below(2) == 0) {
            m.m_bTransfer = true;
            do {
                m.m_pFrom = doc.Accounts().GetAt(static_cast<int>(below(accounts)));
            } while (m.m_pFrom == m.m_pTo);
        } else if (below(4) == 0) {
            m.m_bTransfer = true;
            m.m_strGoneName = u"Старый: счет";
        }
        if (m.m_bTransfer && m.m_pFrom != nullptr && below(4) == 0) {
            std::swap(m.m_pFrom, m.m_pTo);
            m.m_pTo = nullptr;
            m.m_strGoneName = u"Закрытый";
        }
        if (m.m_pTo != nullptr) {
            m.m_pTo->AdjustBalance(m.m_nAmount);
        }
        if (m.m_pFrom != nullptr) {
            m.m_pFrom->AdjustBalance(WrapNeg(m.m_nAmount));
        }
        doc.Movements().Insert(doc.Movements().GetCount(), std::move(m));
    }
    doc.CompleteIds();
}

} // namespace tamblero::test
