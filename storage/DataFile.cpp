#include "storage/DataFile.h"

#include "storage/Archive.h"

#include <algorithm>

namespace tamblero {

namespace {

// Smallest sizes of records, to refuse counts the remaining bytes cannot hold.
constexpr std::size_t kMinString = 1;
constexpr std::size_t kMinAccountV2 = kMinString + 4;
constexpr std::size_t kMinAccountV1 = 2 + kMinString + 4;
constexpr std::size_t kMinAccountV0 = 16 + kMinString + 4;
constexpr std::size_t kMinGroup = kMinString + 4 + 4;
constexpr std::size_t kMinArticleV0 = kMinString + 4 + 16;
constexpr std::size_t kMinArticle = kMinString + 4;
constexpr std::size_t kMinBucketV0 = 4;
constexpr std::size_t kMinBucket = 4 + 4;
constexpr std::size_t kEntryV2 = 5;
constexpr std::size_t kEntryV1 = 6;

class CReader final {
public:
    CReader(std::span<const std::uint8_t> bytes, std::uint32_t version,
            const std::vector<CAccount*>& accounts)
        : m_ar(bytes), m_version(version), m_accounts(accounts) {}

    CArchiveReader& Archive() { return m_ar; }
    const std::optional<DaySpan>& Days() const { return m_days; }

    std::unique_ptr<CExpenseGroup> ReadGroup(CExpenseGroup* parent, int depth) {
        if (depth > kMaxGroupDepth) {
            throw CArchiveError("groups nested too deep");
        }
        auto group = std::make_unique<CExpenseGroup>(m_ar.ReadString(), parent);
        const std::size_t groups = m_ar.ReadCount(kMinGroup);
        for (std::size_t i = 0; i < groups; ++i) {
            group->AppendLoaded(ReadGroup(group.get(), depth + 1));
        }
        const std::size_t articles = m_ar.ReadCount(m_version == 0 ? kMinArticleV0 : kMinArticle);
        for (std::size_t i = 0; i < articles; ++i) {
            group->AppendLoaded(ReadArticle(group.get()));
        }
        return group;
    }

private:
    std::unique_ptr<CExpenseArticle> ReadArticle(CExpenseGroup* parent) {
        auto article = std::make_unique<CExpenseArticle>(m_ar.ReadString(), parent);
        const std::size_t buckets = m_ar.ReadCount(m_version == 0 ? kMinBucketV0 : kMinBucket);
        std::vector<CDayMap::Bucket> read;
        read.reserve(buckets);
        for (std::size_t i = 0; i < buckets; ++i) {
            const DayNumber day = m_ar.ReadU32();
            if (day > kLastValidDay) {
                throw CArchiveError("a day after the year 9999");
            }
            if (m_version != 0) {
                read.emplace_back(day, ReadEntries());
            }
            RecordDay(day);
        }
        if (m_version == 0) {
            m_ar.Skip(16);
        }
        article->Days().Assign(std::move(read));
        return article;
    }

    CEntryList ReadEntries() {
        const std::size_t count = m_ar.ReadCount(m_version == 1 ? kEntryV1 : kEntryV2);
        CEntryList list;
        list.Entries().reserve(count);
        for (std::size_t i = 0; i < count; ++i) {
            CExpenseEntry entry;
            if (m_version == 1) {
                entry.m_nLegacyId = m_ar.ReadU16();
            } else {
                const std::uint8_t index = m_ar.ReadU8();
                entry.m_pAccount = index < m_accounts.size() && index != CAccountList::kNoAccount
                                       ? m_accounts[index]
                                       : nullptr;
            }
            entry.m_nAmount = m_ar.ReadI32();
            list.Entries().push_back(entry);
        }
        return list;
    }

    void RecordDay(DayNumber day) {
        if (!m_days) {
            m_days = DaySpan{day, day};
        } else {
            m_days->first = std::min(m_days->first, day);
            m_days->last = std::max(m_days->last, day);
        }
    }

    CArchiveReader m_ar;
    std::uint32_t m_version;
    const std::vector<CAccount*>& m_accounts;
    std::optional<DaySpan> m_days;
};

std::vector<std::unique_ptr<CAccount>> ReadAccounts(CArchiveReader& ar, std::uint32_t version) {
    const std::size_t minSize =
        version == 2 ? kMinAccountV2 : (version == 1 ? kMinAccountV1 : kMinAccountV0);
    const std::size_t count = ar.ReadCount(minSize);
    std::vector<std::unique_ptr<CAccount>> accounts;
    accounts.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        auto account = std::make_unique<CAccount>();
        if (version == 1) {
            account->m_nLegacyId = ar.ReadU16();
        } else if (version == 0) {
            ar.Skip(16);
        }
        account->m_strName = ar.ReadString();
        account->m_nBalance = ar.ReadI32();
        accounts.push_back(std::move(account));
    }
    return accounts;
}

void WriteGroup(CArchiveWriter& ar, const CAccountList& accounts, const CExpenseGroup& group) {
    ar.WriteString(group.GetName());
    ar.WriteI32(static_cast<std::int32_t>(group.m_groups.size()));
    for (const auto& child : group.m_groups) {
        WriteGroup(ar, accounts, *child);
    }
    ar.WriteI32(static_cast<std::int32_t>(group.m_articles.size()));
    for (const auto& article : group.m_articles) {
        ar.WriteString(article->GetName());
        ar.WriteI32(static_cast<std::int32_t>(article->Days().size()));
        for (const auto& [day, list] : article->Days()) {
            ar.WriteU32(day);
            ar.WriteI32(list.GetCount());
            for (const CExpenseEntry& entry : list.Entries()) {
                ar.WriteU8(accounts.IndexOf(entry.m_pAccount));
                ar.WriteI32(entry.m_nAmount);
            }
        }
    }
}

} // namespace

ReadResult ReadDataFile(std::span<const std::uint8_t> bytes, const CAccountList& existing) {
    ReadResult result;
    try {
        CArchiveReader head(bytes);
        const std::uint32_t version = head.ReadU32();
        if (version > kDataFileVersion) {
            result.error = "unknown data file version " + std::to_string(version);
            return result;
        }
        LoadedData data;
        data.version = version;
        // Entries name accounts by their place in the whole list: what was there, then the file's.
        std::vector<CAccount*> all;
        for (int i = 0; i < existing.GetCount(); ++i) {
            all.push_back(existing.GetAt(i));
        }
        CReader reader(bytes.subspan(4), version, all);
        if (version == 2) {
            data.accounts = ReadAccounts(reader.Archive(), version);
            for (const auto& a : data.accounts) {
                all.push_back(a.get());
            }
            data.root = reader.ReadGroup(nullptr, 0);
        } else {
            data.root = reader.ReadGroup(nullptr, 0);
            data.accounts = ReadAccounts(reader.Archive(), version);
        }
        data.days = reader.Days();
        result.data = std::move(data);
    } catch (const CArchiveError& e) {
        result.error = e.what();
    } catch (const std::bad_alloc&) {
        result.error = "the file asks for more memory than there is";
    }
    return result;
}

std::vector<std::uint8_t> WriteDataFile(const CAccountList& accounts, const CExpenseGroup& root) {
    CArchiveWriter ar;
    ar.WriteU32(kDataFileVersion);
    ar.WriteI32(accounts.GetCount());
    for (int i = 0; i < accounts.GetCount(); ++i) {
        ar.WriteString(accounts.GetAt(i)->m_strName);
        ar.WriteI32(accounts.GetAt(i)->m_nBalance);
    }
    WriteGroup(ar, accounts, root);
    return ar.Take();
}

} // namespace tamblero
