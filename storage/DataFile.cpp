#include "storage/DataFile.h"

#include "resources/StringTable.h"
#include "storage/Archive.h"

#include <algorithm>
#include <array>
#include <exception>
#include <utility>

namespace tamblero {

namespace {

// The fields of the layout, in bytes.
constexpr std::size_t kVersionField = 4; // the file's first field
constexpr std::size_t kCountField = 4;   // every count of records
constexpr std::size_t kBalanceField = 4;
constexpr std::size_t kLegacyIdField = 2;     // an account's id in version 1
constexpr std::size_t kV0AccountPadding = 16; // unused bytes before a version-0 account
constexpr std::size_t kV0ArticlePadding = 16; // unused bytes after a version-0 article
// A bucket of version 1 or 2 opens with its day and its count of entries; one of
// version 0 is its day alone.
constexpr std::size_t kDayField = 4;
constexpr std::size_t kBucketHeader = kDayField + kCountField;
constexpr std::size_t kEntryV2 = 5; // account index byte, amount
constexpr std::size_t kEntryV1 = 6; // legacy account id, amount

// Smallest sizes of records, to refuse counts the remaining bytes cannot hold.
constexpr std::size_t kMinString = 1;
constexpr std::size_t kMinAccountV2 = kMinString + kBalanceField;
constexpr std::size_t kMinAccountV1 = kLegacyIdField + kMinString + kBalanceField;
constexpr std::size_t kMinAccountV0 = kV0AccountPadding + kMinString + kBalanceField;
constexpr std::size_t kMinGroup = kMinString + kCountField + kCountField;
constexpr std::size_t kMinArticleV0 = kMinString + kCountField + kV0ArticlePadding;
constexpr std::size_t kMinArticle = kMinString + kCountField;
constexpr std::size_t kMinBucketV0 = kDayField;
constexpr std::size_t kMinBucket = kBucketHeader;

class CReader final {
public:
    CReader(CArchiveReader& ar, std::uint32_t version) : m_ar(ar), m_version(version) {}

    // The accounts that entries of version 2 name by index; 255 and any index beyond
    // them name none.
    void SetAccounts(const std::vector<CAccount*>& accounts) {
        m_accountOf.fill(nullptr);
        for (std::size_t i = 0; i < accounts.size() && i < CAccountList::kNoAccount; ++i) {
            m_accountOf[i] = accounts[i];
        }
    }

    const std::optional<DaySpan>& Days() const { return m_days; }
    // Each entry read takes the next of the section's ids, while there are as many.
    void GiveIds(CIdentitySection* ids) { m_ids = ids; }
    [[nodiscard]] bool GaveIds() const { return m_ids != nullptr; }
    // Some entries were given ids, then the ids ran out or proved damaged.
    [[nodiscard]] bool GaveSomeIds() const { return m_ids != nullptr || m_idsFailed; }
    // The tree as the identities' section describes it, taken as it is parsed.
    const CIdentitySection::Fingerprint& Print() const { return m_print; }

    std::unique_ptr<CExpenseGroup> ReadGroup(CExpenseGroup* parent, int depth) {
        // Deeper nesting is taken for damage, not for a real tree.
        if (depth > kMaxGroupDepth) {
            throw CArchiveError("groups nested too deep");
        }
        auto group = std::make_unique<CExpenseGroup>(m_ar.ReadString(), parent);
        m_print.NoteNode(true, group->GetName());
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
        m_print.NoteNode(false, article->GetName());
        const std::size_t buckets = m_ar.ReadCount(m_version == 0 ? kMinBucketV0 : kMinBucket);
        // Grown as the buckets are read, as every list whose count comes before its records.
        std::vector<CDayMap::Bucket> read;
        for (std::size_t i = 0; i < buckets; ++i) {
            const DayNumber day = m_ar.ReadU32();
            if (day > kLastValidDay) {
                throw CArchiveError("a day after the year 9999");
            }
            if (m_version != 0) {
                read.emplace_back(day, ReadEntries(*article, day));
                m_print.NoteDay(day, static_cast<std::uint64_t>(read.back().second.GetCount()));
                for (const CExpenseEntry& e : read.back().second.Entries()) {
                    m_print.NoteAmount(e.m_nAmount);
                }
            }
            RecordDay(day);
        }
        if (m_version == 0) {
            m_ar.Skip(kV0ArticlePadding);
        }
        article->Days().Assign(std::move(read));
        return article;
    }

    CEntryList ReadEntries(CExpenseArticle& article, DayNumber day) {
        const std::size_t size = m_version == 1 ? kEntryV1 : kEntryV2;
        const std::size_t count = m_ar.ReadCount(size);
        const ItemId* ids = m_ids != nullptr ? TakeIds(article, day, count) : nullptr;
        const std::uint8_t* p = m_ar.ReadBytes(count * size).data();
        CEntryList list;
        list.Reserve(static_cast<int>(count));
        for (std::size_t i = 0; i < count; ++i, p += size) {
            CExpenseEntry entry;
            if (m_version == 1) {
                entry.m_nNote = LoadU16(p); // the account id, resolved later
                entry.m_nAmount = static_cast<Amount>(LoadU32(p + 2));
            } else {
                entry.m_pAccount = m_accountOf[p[0]];
                entry.m_nAmount = static_cast<Amount>(LoadU32(p + 1));
            }
            if (ids != nullptr) {
                entry.m_nId = ids[i];
            }
            list.Add(entry);
        }
        return list;
    }

    // The next count ids, decoded a few thousand at a time; none where they ran out.
    const ItemId* TakeIds(CExpenseArticle& article, DayNumber day, std::size_t count) {
        constexpr std::size_t kPiece = 4096;
        if (count > m_idsHeld.size() - m_nIdsUsed) {
            m_idsHeld.erase(m_idsHeld.begin(),
                            m_idsHeld.begin() + static_cast<std::ptrdiff_t>(m_nIdsUsed));
            m_nIdsUsed = 0;
            const std::size_t held = m_idsHeld.size();
            const std::size_t more = static_cast<std::size_t>(
                std::min<std::uint64_t>(std::max(kPiece, count - held), m_ids->IdsLeft()));
            m_idsHeld.resize(held + more);
            if (count > held + more || !m_ids->GiveIds({m_idsHeld.data() + held, more})) {
                m_ids = nullptr; // not the tree the ids describe, or damaged ones
                m_idsFailed = true;
                return nullptr;
            }
        }
        const ItemId* ids = m_idsHeld.data() + m_nIdsUsed;
        m_ids->NoteGivenDay(article, day, m_nGiven, static_cast<int>(count));
        m_nIdsUsed += count;
        m_nGiven += count;
        return ids;
    }

    void RecordDay(DayNumber day) {
        if (!m_days) {
            m_days = DaySpan{day, day};
        } else {
            m_days->first = std::min(m_days->first, day);
            m_days->last = std::max(m_days->last, day);
        }
    }

    CArchiveReader& m_ar;
    std::uint32_t m_version;
    CIdentitySection::Fingerprint m_print;
    CIdentitySection* m_ids = nullptr;
    std::vector<ItemId> m_idsHeld;
    std::size_t m_nIdsUsed = 0;
    std::uint64_t m_nGiven = 0;
    bool m_idsFailed = false;
    std::array<CAccount*, 256> m_accountOf{};
    std::optional<DaySpan> m_days;
};

std::vector<std::unique_ptr<CAccount>> ReadAccounts(CArchiveReader& ar, std::uint32_t version) {
    const std::size_t minSize =
        version == 2 ? kMinAccountV2 : (version == 1 ? kMinAccountV1 : kMinAccountV0);
    const std::size_t count = ar.ReadCount(minSize);
    std::vector<std::unique_ptr<CAccount>> accounts;
    for (std::size_t i = 0; i < count; ++i) {
        std::uint16_t legacyId = 0;
        if (version == 1) {
            legacyId = ar.ReadU16();
        } else if (version == 0) {
            ar.Skip(kV0AccountPadding);
        }
        std::u16string name = ar.ReadString();
        const Amount balance = ar.ReadI32();
        accounts.push_back(CAccount::FromFile(std::move(name), balance, legacyId));
    }
    return accounts;
}

// The file byte of each entry's account, as IndexOf gives it: a few accounts are
// searched in list order, many in a table sorted by address.
class CAccountIndex final {
public:
    explicit CAccountIndex(const CAccountList& accounts) {
        for (int i = 0; i < accounts.GetCount() && i < CAccountList::kNoAccount; ++i) {
            m_table.emplace_back(accounts.GetAt(i), static_cast<std::uint8_t>(i));
        }
        m_bSorted = m_table.size() > kLinear;
        if (m_bSorted) {
            std::sort(m_table.begin(), m_table.end());
        }
    }
    [[nodiscard]] std::uint8_t Of(const CAccount* account) const {
        if (account == nullptr) {
            return CAccountList::kNoAccount;
        }
        if (!m_bSorted) {
            for (const auto& [pointer, index] : m_table) {
                if (pointer == account) {
                    return index;
                }
            }
            return CAccountList::kNoAccount;
        }
        const auto it =
            std::lower_bound(m_table.begin(), m_table.end(), account,
                             [](const auto& a, const CAccount* b) { return a.first < b; });
        return it != m_table.end() && it->first == account ? it->second : CAccountList::kNoAccount;
    }

private:
    static constexpr std::size_t kLinear = 8;
    std::vector<std::pair<const CAccount*, std::uint8_t>> m_table;
    bool m_bSorted = false;
};

void WriteArticle(CArchiveWriter& ar, const CAccountIndex& accounts, CNotePlaces& notes,
                  const CExpenseArticle& article) {
    const CDayMap& days = article.Days();
    ar.WriteString(article.GetName());
    ar.WriteI32(static_cast<std::int32_t>(days.size()));
    // All buckets of the article in one stretch of the buffer.
    std::size_t bytes = 0;
    for (const auto& [day, list] : days) {
        bytes += kBucketHeader + kEntryV2 * static_cast<std::size_t>(list.GetCount());
    }
    std::uint8_t* p = ar.Extend(bytes);
    for (const auto& [day, list] : days) {
        StoreU32(p, day);
        StoreU32(p + kDayField, static_cast<std::uint32_t>(list.GetCount()));
        p += kBucketHeader;
        for (const CExpenseEntry& entry : list.Entries()) {
            p[0] = accounts.Of(entry.m_pAccount);
            StoreU32(p + 1, static_cast<std::uint32_t>(entry.m_nAmount));
            notes.Entry(entry.m_nNote);
            p += kEntryV2;
        }
    }
}

void WriteGroup(CArchiveWriter& ar, const CAccountIndex& accounts, CNotePlaces& notes,
                const CExpenseGroup& group) {
    ar.WriteString(group.GetName());
    ar.WriteI32(group.GroupCount());
    for (const auto& child : group.Groups()) {
        WriteGroup(ar, accounts, notes, *child);
    }
    ar.WriteI32(group.ArticleCount());
    for (const auto& article : group.Articles()) {
        // Through a const reference: a walk for reading keeps the running sums.
        WriteArticle(ar, accounts, notes, std::as_const(*article));
    }
}

// The exact size of a group's record, so the file is written into one allocation.
std::size_t RecordBytes(const CExpenseGroup& group) {
    std::size_t n = CArchiveWriter::StringRecordSize(group.GetName()) + kCountField + kCountField;
    group.ForEachChild([&n](const CCategoryNode& child) {
        if (const CExpenseGroup* inner = child.AsGroup()) {
            n += RecordBytes(*inner);
            return;
        }
        n += CArchiveWriter::StringRecordSize(child.GetName()) + kCountField;
        for (const auto& [day, list] : child.AsArticle()->Days()) {
            n += kBucketHeader + kEntryV2 * static_cast<std::size_t>(list.GetCount());
        }
    });
    return n;
}

std::size_t CountRefs(const std::vector<const CAccount*>& sorted, const CExpenseGroup& group) {
    std::size_t n = 0;
    group.ForEachArticleBelow([&](const CExpenseArticle& article) {
        for (const auto& [day, list] : article.Days()) {
            for (const CExpenseEntry& entry : list.Entries()) {
                n += std::binary_search(sorted.begin(), sorted.end(), entry.m_pAccount) ? 1U : 0U;
            }
        }
    });
    return n;
}

// A read of the file that failed: the file cannot be read, which says nothing of its bytes.
class CReadFailure final : public std::exception {};

class CFileSource final : public IArchiveSource {
public:
    explicit CFileSource(const CReadableFile& file) : m_file(file) {}
    std::size_t ReadAt(std::uint64_t offset, std::uint8_t* out, std::size_t n) override {
        const std::int64_t got = m_file.ReadAt(offset, out, n, m_error);
        if (got < 0) {
            throw CReadFailure();
        }
        return static_cast<std::size_t>(got);
    }
    [[nodiscard]] const Reason& Error() const { return m_error; }

private:
    const CReadableFile& m_file;
    Reason m_error;
};

} // namespace

std::size_t CountUnwritableAccountRefs(const CAccountList& accounts, const CExpenseGroup& root) {
    std::vector<const CAccount*> beyond;
    for (int i = CAccountList::kMaxAccounts; i < accounts.GetCount(); ++i) {
        beyond.push_back(accounts.GetAt(i));
    }
    if (beyond.empty()) {
        return 0;
    }
    std::sort(beyond.begin(), beyond.end());
    return CountRefs(beyond, root);
}

ReadResult ReadDataFile(CArchiveReader& ar, const CAccountList& existing) {
    ReadResult result;
    try {
        const std::uint32_t version = ar.ReadU32();
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
        CReader reader(ar, version);
        if (version == 2) {
            // The expenses' ids, found at the end, are given to the entries as the tree is
            // read: no walk over every entry after.
            std::optional<CIdentitySection> early;
            std::size_t blockSize = 0;
            if (auto found = FindIdentitiesFromEnd(ar)) {
                try {
                    CArchiveReader section(found->payload);
                    early.emplace(section);
                    blockSize = found->blockSize;
                } catch (const CArchiveError&) {
                    early.reset(); // read again where the tree ends, to say what is wrong
                }
                if (early && early->StartGiving(ar.Remaining() / kEntryV2)) {
                    reader.GiveIds(&*early);
                }
            }
            data.accounts = ReadAccounts(ar, version);
            for (const auto& a : data.accounts) {
                all.push_back(a.get());
            }
            reader.SetAccounts(all);
            data.root = reader.ReadGroup(nullptr, 0);
            // Found at the end, the ids are the tree's where the tree ends at their block.
            const bool given = reader.GaveIds() && ar.Remaining() == blockSize;
            if (reader.GaveSomeIds() && !given) {
                ForgetExpenseIds(*data.root);
            }
            // Older versions never had a block: what follows their tree was never read.
            data.extension = ReadExtensionBlock(ar, *data.root, all, given);
            auto& identities = given ? early : data.extension.identities;
            if (identities) {
                identities->Apply(*data.root, data.accounts, data.extension.movements,
                                  data.extension.notes, data.extension.records, &reader.Print(),
                                  given);
                identities.reset();
            }
        } else {
            data.root = reader.ReadGroup(nullptr, 0);
            data.accounts = ReadAccounts(ar, version);
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

ReadResult ReadDataFile(std::span<const std::uint8_t> bytes, const CAccountList& existing) {
    CArchiveReader ar(bytes);
    return ReadDataFile(ar, existing);
}

FileRead ReadDataFile(const std::filesystem::path& path, const CAccountList& existing,
                      ReadResult& result, Reason& error, IReadCalls* calls) {
    CReadableFile file(calls);
    if (const FileRead opened = file.Open(path, error); opened != FileRead::Done) {
        return opened;
    }
    CFileSource source(file);
    try {
        CArchiveBuffer buffer(source, static_cast<std::size_t>(file.Size()));
        CArchiveReader ar(buffer);
        result = ReadDataFile(ar, existing);
    } catch (const CReadFailure&) {
        error = source.Error();
        return FileRead::Refused;
    } catch (const std::bad_alloc&) {
        error = {"not enough memory to read the file", IDS_REASON_NO_MEMORY, {}, {}};
        return FileRead::Refused;
    }
    // A file that another program wrote while it was read is neither whole nor damaged:
    // read again whole, as it is now.
    if (file.Resized()) {
        std::vector<std::uint8_t> bytes;
        const FileRead read = ReadFileBytes(path, bytes, error);
        result = read == FileRead::Done ? ReadDataFile(bytes, existing) : ReadResult{};
        return read;
    }
    return FileRead::Done;
}

std::vector<std::uint8_t> WriteDataFile(const CAccountList& accounts, const CExpenseGroup& root,
                                        const CNoteTable& notes,
                                        std::span<const CMovement> movements,
                                        std::span<const KeptSection> kept, const CLedgerIds* ids,
                                        const CStatementMemory* memory, const CBudgetBook* budgets,
                                        const CScheduleBook* schedules) {
    CArchiveWriter ar;
    // One allocation for the whole file.
    std::size_t size = kVersionField + kCountField + RecordBytes(root);
    for (int i = 0; i < accounts.GetCount(); ++i) {
        size += CArchiveWriter::StringRecordSize(accounts.GetAt(i)->m_strName) + kBalanceField;
    }
    ar.Reserve(size);
    ar.WriteU32(kDataFileVersion);
    ar.WriteI32(accounts.GetCount());
    for (int i = 0; i < accounts.GetCount(); ++i) {
        ar.WriteString(accounts.GetAt(i)->m_strName);
        ar.WriteI32(accounts.GetAt(i)->Balance());
    }
    const CAccountIndex index(accounts);
    CNotePlaces places;
    WriteGroup(ar, index, places, root);
    WriteExtensionBlock(ar, places, notes,
                        {&accounts, movements, kept, &root, ids, memory, budgets, schedules});
    return ar.Take();
}

} // namespace tamblero
