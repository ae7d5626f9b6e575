// The confirm rules of the deposit and transfer dialog, apart from any widget.
#pragma once

#include "period/DayNumber.h"

#include <string>
#include <string_view>

namespace tamblero {

class CVerdalonDoc;

enum class TransferStatus {
    Ignored,   // no target, no source while transferring, or source equal to target
    BadAmount, // the amount is unusable; messageId says why
    Declined,  // the user refused a negative balance; nothing changed
    Done,      // the money moved; the dialog closes
};

struct TransferResult {
    TransferStatus status = TransferStatus::Ignored;
    unsigned messageId = 0;
    std::u16string message; // the refusal naming what was typed, with BadAmount
};

// Puts the amount into account `target`, taking it from account `source` when
// fromAccount is set (-1 means nothing selected), as one change of the document that records
// the movement on the day with the note (DocumentChanges' MoveMoney). A balance the change would
// take out of its range refuses it (Declined) before any question; the source's balance is asked
// about first, then the target's, and nothing moves before both are agreed to, so a refused
// transfer never leaves money half-moved. A declined deposit changes nothing and still counts as
// done.
TransferResult ConfirmTransfer(CVerdalonDoc& doc, int target, bool fromAccount, int source,
                               std::u16string_view amountText, DayNumber day,
                               std::u16string_view note = {});

} // namespace tamblero
