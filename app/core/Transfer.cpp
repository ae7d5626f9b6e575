#include "app/core/Transfer.h"

#include "app/core/AmountText.h"
#include "app/core/DocumentChanges.h"
#include "model/Account.h"
#include "storage/VerdalonDoc.h"

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
    const Amount amount = *parsed.value;
    const CAccount* from = fromAccount ? accounts.GetAt(source) : nullptr;
    if (from != nullptr && !from->MayChangeBy(WrapNeg(amount))) {
        return {TransferStatus::Declined, 0, {}};
    }
    if (!accounts.GetAt(target)->MayChangeBy(amount)) {
        return {from != nullptr ? TransferStatus::Declined : TransferStatus::Done, 0, {}};
    }
    MoveMoney(doc, {day, fromAccount ? source : -1, target, amount, std::u16string(note)});
    return {TransferStatus::Done, 0, {}};
}

} // namespace tamblero
