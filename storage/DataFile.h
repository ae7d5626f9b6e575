// The data file: the accounts and the whole tree with every expense, written
// as version 2; versions 0 and 1 are still read.
#pragma once

#include "model/Account.h"
#include "model/CategoryNode.h"
#include "period/Period.h"
#include "storage/ExtensionBlock.h"
#include "storage/FileIO.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace tamblero {

class CArchiveReader;

inline constexpr std::uint32_t kDataFileVersion = 2;

// What a successful read yields, not yet installed anywhere.
struct LoadedData {
    std::uint32_t version = 0;
    std::vector<std::unique_ptr<CAccount>> accounts;
    std::unique_ptr<CExpenseGroup> root;
    std::optional<DaySpan> days; // the lowest and highest bucket day read, if any
    ExtensionContent extension;  // the notes, identities and the sections kept unread
};

struct ReadResult {
    std::optional<LoadedData> data; // empty when the read failed
    std::string error;              // why it failed
};

// Reads a whole file. Entries of version 2 name their account by its index in the
// list that existing and the file's accounts make together. Entries of versions 0 and 1
// come back with their legacy ids unresolved: the caller appends the accounts and then
// resolves them against the whole list. Never throws.
[[nodiscard]] ReadResult ReadDataFile(std::span<const std::uint8_t> bytes,
                                      const CAccountList& existing);
// The same from the reader's first byte on, wherever it takes its bytes from; what else its
// buffer's source throws is let out.
[[nodiscard]] ReadResult ReadDataFile(CArchiveReader& ar, const CAccountList& existing);

// Reads the data file at the path as ReadFileBytes and the read of its bytes would together,
// the same answer for every file, with the notes' text taken from the file straight into
// the note table, never into memory twice. Missing, Refused and TooLarge as ReadFileBytes
// answers them, the error saying why; Done with the result of the read, which may be a
// refusal of damaged bytes. The reads go through `calls` where given.
FileRead ReadDataFile(const std::filesystem::path& path, const CAccountList& existing,
                      ReadResult& result, Reason& error, IReadCalls* calls = nullptr);

// How many entries name an account past the first CAccountList::kMaxAccounts, which no
// entry byte reaches: a file written now would drop their account.
[[nodiscard]] std::size_t CountUnwritableAccountRefs(const CAccountList& accounts,
                                                     const CExpenseGroup& root);

// The bytes of a version-2 file. Entries of accounts that CountUnwritableAccountRefs
// counts are written without an account, never with another. The notes, the
// movements (naming accounts of this list), the identities of every item where given (a
// document always gives them), with them the import memory, the budgets and the schedules where
// they hold any, and the kept sections go in the extension block; without any of them the file
// ends with the tree, as the previous layout did.
[[nodiscard]] std::vector<std::uint8_t>
WriteDataFile(const CAccountList& accounts, const CExpenseGroup& root, const CNoteTable& notes = {},
              std::span<const CMovement> movements = {}, std::span<const KeptSection> kept = {},
              const CLedgerIds* ids = nullptr, const CStatementMemory* memory = nullptr,
              const CBudgetBook* budgets = nullptr, const CScheduleBook* schedules = nullptr);

} // namespace tamblero
