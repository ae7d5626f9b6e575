// What the model needs from the program around it: the period its totals follow, the
// document's day span, the views it refreshes and the user it asks. The main frame provides
// it; the model sees nothing else of the frame, the document or the window.
#pragma once

#include "period/DayNumber.h"

#include <cstdint>
#include <string>

namespace tamblero {

class CPeriod;

class IModelHost {
public:
    virtual ~IModelHost() = default;

    // The period whose columns the cached totals follow.
    [[nodiscard]] virtual const CPeriod& CurrentPeriod() const = 0;
    // Widens the document's span of recorded days; nothing without a document.
    virtual void RecordDay(DayNumber day) = 0;
    // Tells every view but the tree that totals changed; nothing without a document.
    virtual void RefreshViews() = 0;
    // Asks whether a balance may turn negative: false on the user's No.
    [[nodiscard]] virtual bool ConfirmNegativeBalance() = 0;
    // Tells the user that a removed entry without an account refunded nothing.
    virtual void NotifyNotRefunded() = 0;
    // Tells the user that a change by delta was refused: the account's balance would have
    // become `after`, outside what a balance can hold. The account as CAccount::ShownName.
    virtual void NotifyBalanceOutOfRange(const std::u16string& account, std::int64_t delta,
                                         std::int64_t after) = 0;
};

// The one main frame of the process, set by its constructor; null where none is built.
extern IModelHost* g_pMainFrame;

} // namespace tamblero
