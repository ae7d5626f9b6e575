// An account's register: every movement of its money the document knows, oldest first, with
// the running balance, as the window's "Операции" and the command line's "register" show it.
#pragma once

#include "model/EntryList.h"
#include "model/Money.h"
#include "period/DayNumber.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace tamblero {

class CAccount;
class CExpenseArticle;
class CVerdalonDoc;

enum class RegisterKind : std::uint8_t { Opening, Deposit, TransferIn, TransferOut, Expense };

struct RegisterRow {
    DayNumber day = 0; // the opening's is the first recorded row's, or 0 without one
    RegisterKind kind = RegisterKind::Opening;
    // An expense's place in its article's day, or a movement's in the document's list.
    int index = -1;
    CExpenseArticle* article = nullptr; // an expense's
    std::int64_t amount = 0;            // what the account gained; an expense's is negative
    std::int64_t balance = 0;           // after the row
};

// Built whole, and again after any change: it points into the document's tree and list.
class CRegister final {
public:
    // Within a day the movements come first, as recorded, then the expenses in the history's
    // order. The opening row is what the balance was before them all, so that the last
    // balance is the account's. Sums are 64 bits: they never wrap.
    CRegister(const CVerdalonDoc& doc, const CAccount& account);

    // The opening row first.
    [[nodiscard]] const std::vector<RegisterRow>& Rows() const { return m_rows; }
    [[nodiscard]] std::size_t RecordedCount() const { return m_rows.size() - 1; }
    // The recorded rows of a kind added up as the account gained: a transfer out's and an
    // expense's sum is negative (but for refunds among them).
    [[nodiscard]] std::int64_t Sum(RegisterKind kind) const {
        return m_sums[static_cast<std::size_t>(kind)];
    }

private:
    std::vector<RegisterRow> m_rows;
    std::array<std::int64_t, 5> m_sums{}; // by kind; the opening's stays 0
};

// The footer: how many rows, then deposits, transfers in and out and expenses each on its own,
// so that money moved between accounts is never counted as spent.
[[nodiscard]] std::u16string RegisterFooter(const CRegister& reg);
// "Пополнение", "Входящий перевод" …
[[nodiscard]] std::u16string RegisterKindText(RegisterKind kind);
// The other account of a transfer (by its last name where deleted) or an expense's
// category path; empty for the rest.
[[nodiscard]] std::u16string RegisterOther(const CVerdalonDoc& doc, const RegisterRow& row);
[[nodiscard]] std::u16string RegisterNote(const CVerdalonDoc& doc, const RegisterRow& row);
// The expense a row shows, for its undo.
[[nodiscard]] CExpenseEntry RegisterEntry(const RegisterRow& row);

// Takes back what the row shows, as its own dialog would: an expense refunded, a movement
// undone after the balance questions. False where nothing changed.
bool UndoRegisterRow(CVerdalonDoc& doc, const RegisterRow& row);

} // namespace tamblero
