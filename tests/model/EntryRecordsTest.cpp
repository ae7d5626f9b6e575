// Entry records come out byte for byte as the layout says and read back to the same accounts,
// whatever the number of accounts.
#include "model/Account.h"
#include "model/CategoryNode.h"
#include "storage/Archive.h"
#include "storage/DataFile.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

namespace tamblero {
namespace {

// The layout written field by field, the plain way, to hold the writer against.
void Reference(CArchiveWriter& ar, const CAccountList& accounts, const CExpenseGroup& group) {
    ar.WriteString(group.GetName());
    ar.WriteI32(group.GroupCount());
    for (const auto& child : group.Groups()) {
        Reference(ar, accounts, *child);
    }
    ar.WriteI32(group.ArticleCount());
    for (const auto& article : group.Articles()) {
        const CExpenseArticle& a = *article;
        ar.WriteString(a.GetName());
        ar.WriteI32(static_cast<std::int32_t>(a.Days().size()));
        for (const auto& [day, list] : a.Days()) {
            ar.WriteU32(day);
            ar.WriteI32(list.GetCount());
            for (const CExpenseEntry& e : list.Entries()) {
                ar.WriteU8(accounts.IndexOf(e.m_pAccount));
                ar.WriteI32(e.m_nAmount);
            }
        }
    }
}

std::vector<std::uint8_t> ReferenceFile(const CAccountList& accounts, const CExpenseGroup& root) {
    CArchiveWriter ar;
    ar.WriteU32(2);
    ar.WriteI32(accounts.GetCount());
    for (int i = 0; i < accounts.GetCount(); ++i) {
        ar.WriteString(accounts.GetAt(i)->m_strName);
        ar.WriteI32(accounts.GetAt(i)->Balance());
    }
    Reference(ar, accounts, root);
    return ar.Take();
}

TEST(EntryRecords, WrittenAsTheLayoutSaysForAnyNumberOfAccounts) {
    for (const int count : {0, 1, 3, 8, 9, 40, 255}) {
        CAccountList accounts;
        for (int i = 0; i < count; ++i) {
            accounts.CreateAccount()->AdjustBalance(i);
        }
        CAccount stray; // not in the list: written as no account
        CExpenseGroup root(u"root", nullptr);
        CExpenseGroup* group = root.AddGroup(u"g");
        CExpenseArticle* articles[] = {root.AddArticle(u"a"), group->AddArticle(u"b"),
                                       group->AddArticle(u"empty")};
        std::uint32_t seed = 7;
        for (int n = 0; n < 3000; ++n) {
            seed = seed * 1103515245U + 12345U;
            const int pick = static_cast<int>(seed >> 8U) % (count + 2);
            CAccount* account =
                pick < count ? accounts.GetAt(pick) : (pick == count ? nullptr : &stray);
            const DayNumber day = 140000 + (seed >> 20U) % 50;
            articles[n % 2]->Days().GetOrCreate(day).Add(account,
                                                         static_cast<Amount>(seed) - 1000000);
        }
        articles[1]->Days().GetOrCreate(139000); // an empty day
        const std::vector<std::uint8_t> bytes = WriteDataFile(accounts, root);
        ASSERT_EQ(bytes, ReferenceFile(accounts, root)) << count << " accounts";

        const ReadResult read = ReadDataFile(bytes, CAccountList{});
        ASSERT_TRUE(read.data) << read.error;
        const LoadedData& data = *read.data;
        ASSERT_EQ(data.accounts.size(), static_cast<std::size_t>(count));
        const auto indexIn = [&](const CAccount* a) {
            for (std::size_t i = 0; i < data.accounts.size(); ++i) {
                if (data.accounts[i].get() == a) {
                    return static_cast<int>(i);
                }
            }
            return a == nullptr ? -1 : -2;
        };
        const CExpenseArticle& back = *data.root->Groups()[0]->Articles()[0];
        const CExpenseArticle& original = *articles[1];
        ASSERT_EQ(back.Days().size(), original.Days().size());
        auto it = back.Days().begin();
        for (const auto& [day, list] : std::as_const(original).Days()) {
            ASSERT_EQ(it->first, day);
            ASSERT_EQ(it->second.GetCount(), list.GetCount());
            for (int i = 0; i < list.GetCount(); ++i) {
                const CExpenseEntry& e = list.GetAt(i);
                const int expected = accounts.IndexOf(e.m_pAccount) == CAccountList::kNoAccount
                                         ? -1
                                         : accounts.IndexOf(e.m_pAccount);
                EXPECT_EQ(indexIn(it->second.GetAt(i).m_pAccount), expected);
                EXPECT_EQ(it->second.GetAt(i).m_nAmount, e.m_nAmount);
            }
            ++it;
        }
        EXPECT_EQ(back.SumDays(0, kLastValidDay), original.SumDays(0, kLastValidDay));
    }
}

} // namespace
} // namespace tamblero
