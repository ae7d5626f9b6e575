#include "tests/fuzz/RoundTrip.h"

#include "storage/Archive.h"
#include "storage/DataFile.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace tamblero::fuzz {

namespace {

// Installs what was read the way the document does and writes it out again, the notes,
// the identities and the sections it does not know with it.
std::vector<std::uint8_t> WriteBack(LoadedData& data, CAccountList& accounts) {
    accounts.AppendAll(std::move(data.accounts));
    if (data.version < kDataFileVersion) {
        data.root->ResolveLegacyIds(accounts);
    }
    LedgerRecords& records = data.extension.records;
    CLedgerIds ids;
    for (const DeviceId device : records.devices) {
        (void)ids.SlotFor(device);
    }
    ids.m_expenseStamps = records.expenseStamps;
    ids.m_goneExpenses = records.goneExpenses;
    ids.m_goneNodes = records.goneNodes;
    ids.m_goneAccounts = records.goneAccounts;
    ids.m_goneMovements = records.goneMovements;
    if (data.extension.remembered) {
        ApplyRecords(*data.extension.remembered, ids);
    }
    CStatementMemory memory = data.extension.memory
                                  ? ApplyMemorySection(*data.extension.memory, ids)
                                  : CStatementMemory{};
    if (data.extension.bankItems) {
        ApplyBankItemsSection(*data.extension.bankItems, ids, memory);
    }
    if (data.extension.csv) {
        ApplyCsvSection(*data.extension.csv, ids, memory);
    }
    const CBudgetBook budgets =
        data.extension.budgets ? ApplyBudgetSection(*data.extension.budgets, ids) : CBudgetBook{};
    const CScheduleBook schedules = data.extension.schedules
                                        ? ApplyScheduleSection(*data.extension.schedules, ids)
                                        : CScheduleBook{};
    return WriteDataFile(accounts, *data.root, data.extension.notes, data.extension.movements,
                         data.extension.kept, &ids, &memory, &budgets, &schedules);
}

// The bytes a few at a time, as a file's may come.
class CTrickle final : public IArchiveSource {
public:
    explicit CTrickle(std::span<const std::uint8_t> bytes) : m_bytes(bytes) {}
    std::size_t ReadAt(std::uint64_t offset, std::uint8_t* out, std::size_t n) override {
        if (offset >= m_bytes.size()) {
            return 0;
        }
        n = std::min({n, m_bytes.size() - static_cast<std::size_t>(offset), std::size_t{7}});
        std::memcpy(out, m_bytes.data() + offset, n);
        return n;
    }

private:
    std::span<const std::uint8_t> m_bytes;
};

// The bytes read as the load from a file reads them, with a read-ahead of a few bytes
// that differs from one input to the next, so that the notes' text comes now from the
// buffer, now straight from the source, now from both: the refusal of the whole bytes, or
// a document that writes the same bytes back.
std::string CheckReadInPieces(std::span<const std::uint8_t> bytes, const std::string& refusal,
                              const std::vector<std::uint8_t>& written) {
    CTrickle source(bytes);
    CArchiveBuffer buffer(source, bytes.size(), bytes.size() % 64);
    CArchiveReader ar(buffer);
    ReadResult read = ReadDataFile(ar, CAccountList{});
    if (!read.data) {
        return read.error == refusal ? "" : "read in pieces, refused: " + read.error;
    }
    if (!refusal.empty()) {
        return "read in pieces, accepted what the whole bytes refuse: " + refusal;
    }
    CAccountList accounts;
    return WriteBack(*read.data, accounts) == written ? "" : "read in pieces, other bytes";
}

bool SameSpan(const std::optional<DaySpan>& a, const std::optional<DaySpan>& b) {
    if (a.has_value() != b.has_value()) {
        return false;
    }
    return !a || (a->first == b->first && a->last == b->last);
}

} // namespace

std::string CheckDataFile(std::span<const std::uint8_t> bytes) {
    const CAccountList none;
    ReadResult first = ReadDataFile(bytes, none);
    if (!first.data) {
        return first.error.empty() ? "a refused file without a reason"
                                   : CheckReadInPieces(bytes, first.error, {});
    }
    if (!first.data->root) {
        return "an accepted file without a root";
    }
    if (!first.data->root->Valid()) {
        return "an accepted file reads into a broken tree";
    }
    const std::uint32_t version = first.data->version;
    const std::optional<DaySpan> days = first.data->days;
    const int accountCount = static_cast<int>(first.data->accounts.size());
    const NoteKey noteCount = first.data->extension.notes.Count();
    const std::size_t keptCount = first.data->extension.kept.size();
    const std::size_t movementCount = first.data->extension.movements.size();

    CAccountList firstAccounts;
    const std::vector<std::uint8_t> written = WriteBack(*first.data, firstAccounts);
    if (!firstAccounts.Valid(first.data->root.get())) {
        return "an entry of an accepted file names an account outside the list";
    }
    if (std::string fault = CheckReadInPieces(bytes, "", written); !fault.empty()) {
        return fault;
    }

    ReadResult second = ReadDataFile(written, none);
    if (!second.data) {
        return "the written file does not read back: " + second.error;
    }
    if (second.data->version != kDataFileVersion) {
        return "the written file is not of the current version";
    }
    if (static_cast<int>(second.data->accounts.size()) != accountCount) {
        return "the written file lost or gained accounts";
    }
    if (second.data->extension.notes.Count() != noteCount ||
        second.data->extension.kept.size() != keptCount ||
        second.data->extension.movements.size() != movementCount) {
        return "the written file lost or gained notes, movements or kept sections";
    }
    // Version 0 keeps no buckets, so only its days are lost on the way.
    if (version != 0 && !SameSpan(days, second.data->days)) {
        return "the written file covers other days";
    }
    CAccountList secondAccounts;
    if (WriteBack(*second.data, secondAccounts) != written) {
        return "writing what was read back gives other bytes";
    }
    return "";
}

} // namespace tamblero::fuzz
