// Reading the amounts the user types into the dialogs. Money is a signed 32-bit
// number, so anything that does not fit is refused rather than wrapped.
#pragma once

#include "model/Money.h"

#include <optional>
#include <string>
#include <string_view>

namespace tamblero {

struct AmountParse {
    std::optional<Amount> value; // set when the text is a usable amount
    unsigned messageId = 0;      // otherwise the string-table text that says why
    std::u16string message;      // and that text as the user reads it, naming what was typed
};

// An unsigned whole number of digits only (blanks around it are allowed), at most
// 2147483647, its digits together or in groups of three: "1 250", with a blank, a no-break
// or a thin space between groups; "1 25" is refused. The empty text is not a number. Nothing is
// dropped to make a number: "99.50" and "-5" are refused, never read as 9950 or 5.
[[nodiscard]] AmountParse ParseDigitsAmount(std::u16string_view text);
// A whole number with an optional sign, grouped as above, within the signed 32-bit range.
[[nodiscard]] AmountParse ParseSignedAmount(std::u16string_view text);

// The range the expense dialog's up-down arrows move within; typed amounts may exceed it.
inline constexpr Amount kSpinMaximum = 32767;

// The text after one step of the up-down arrows: the current text read as a number
// (empty or unreadable as 0, beyond the range clamped to it), moved by delta and kept
// within 0..kSpinMaximum.
[[nodiscard]] std::u16string StepAmountText(std::u16string_view text, int delta);

// The step of the arrows after they have been held for that many milliseconds:
// 10 at first, 100 after five seconds, 1000 after ten.
[[nodiscard]] int SpinStep(long long heldMs);

} // namespace tamblero
