#include "app/core/Transfer.h"

#include "app/core/AmountText.h"
#include "app/core/DocumentChanges.h"
#include "model/Account.h"
#include "storage/VerdalonDoc.h"

#include <cstdint>

namespace tamblero {

namespace {

bool Valid(const CAccountList& accounts, int index) {
    return index >= 0 && index < accounts.GetCount();
}

} // namespace

TransferResult ConfirmTransfer(CVerdalonDoc& doc, int target, bool fromAccount, int source,
                               std::u16string_view amountText, DayNumber day,
                               std::u16string_view note) {
    const CAccountList& accounts = doc.Accounts();
    if (!Valid(accounts, target)) {
        return {};
    }
    if (fromAccount && (!Valid(accounts, source) || source == target)) {
        return {};
    }
    const AmountParse parsed = ParseSignedAmount(amountText);
    if (!parsed.value) {
        return {TransferStatus::BadAmount, parsed.messageId, parsed.message};
    }
    const std::int64_t amount = *parsed.value;
    const CAccount* from = fromAccount ? accounts.GetAt(source) : nullptr;
    const CAccount* to = accounts.GetAt(target);
    // A balance that cannot hold the result is refused before any question is asked.
    if ((from != nullptr && !from->FitsChangeBy(-amount)) || !to->FitsChangeBy(amount)) {
        return {TransferStatus::Declined, 0, {}};
    }
    if (from != nullptr && !from->MayChangeBy(-amount)) {
        return {TransferStatus::Declined, 0, {}};
    }
    if (!to->MayChangeBy(amount)) {
        return {from != nullptr ? TransferStatus::Declined : TransferStatus::Done, 0, {}};
    }
    MoveMoney(doc, {day, fromAccount ? source : -1, target, *parsed.value, std::u16string(note)});
    return {TransferStatus::Done, 0, {}};
}

} // namespace tamblero
