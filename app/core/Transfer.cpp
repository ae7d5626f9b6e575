#include "app/core/Transfer.h"

#include "app/core/AmountText.h"
#include "model/Account.h"

namespace tamblero {

namespace {

bool Valid(const CAccountList& accounts, int index) {
    return index >= 0 && index < accounts.GetCount();
}

} // namespace

TransferResult ConfirmTransfer(CAccountList& accounts, int target, bool fromAccount, int source,
                               std::u16string_view amountText) {
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
    CAccount* from = fromAccount ? accounts.GetAt(source) : nullptr;
    if (from != nullptr && !from->ChangeBalance(WrapNeg(amount))) {
        return {TransferStatus::Declined, 0, {}};
    }
    if (!accounts.GetAt(target)->ChangeBalance(amount) && from != nullptr) {
        // Straight back to the old balance: going through ChangeBalance could ask
        // about a balance the user never meant to change.
        from->AdjustBalance(amount);
        return {TransferStatus::Declined, 0, {}};
    }
    return {TransferStatus::Done, 0, {}};
}

} // namespace tamblero
