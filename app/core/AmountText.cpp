#include "app/core/AmountText.h"

#include "resources/StringTable.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace tamblero {

namespace {

constexpr std::int64_t kMin = std::numeric_limits<Amount>::min();
constexpr std::int64_t kMax = std::numeric_limits<Amount>::max();

bool IsBlank(char16_t c) {
    return c == u' ' || c == u'\t';
}

std::u16string_view Trim(std::u16string_view text) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

// Digits only; answers the magnitude, saturated just above the largest magnitude
// anyone needs, so a long run of digits cannot overflow.
std::optional<std::int64_t> ReadDigits(std::u16string_view digits) {
    if (digits.empty()) {
        return std::nullopt;
    }
    std::int64_t n = 0;
    for (const char16_t c : digits) {
        if (c < u'0' || c > u'9') {
            return std::nullopt;
        }
        n = std::min<std::int64_t>(n * 10 + (c - u'0'), kMax + 2);
    }
    return n;
}

AmountParse Refuse(unsigned id) {
    return AmountParse{std::nullopt, id};
}

} // namespace

AmountParse ParseDigitsAmount(std::u16string_view text) {
    const auto n = ReadDigits(Trim(text));
    if (!n) {
        return Refuse(IDS_AMOUNT_NOT_NUMBER);
    }
    if (*n > kMax) {
        return Refuse(IDS_AMOUNT_TOO_LARGE);
    }
    return AmountParse{static_cast<Amount>(*n), 0};
}

AmountParse ParseSignedAmount(std::u16string_view text) {
    text = Trim(text);
    bool negative = false;
    if (!text.empty() && (text.front() == u'-' || text.front() == u'+')) {
        negative = text.front() == u'-';
        text.remove_prefix(1);
    }
    const auto n = ReadDigits(text);
    if (!n) {
        return Refuse(IDS_AMOUNT_NOT_NUMBER);
    }
    const std::int64_t value = negative ? -*n : *n;
    if (value < kMin || value > kMax) {
        return Refuse(IDS_AMOUNT_OUT_OF_RANGE);
    }
    return AmountParse{static_cast<Amount>(value), 0};
}

std::u16string StepAmountText(std::u16string_view text, int delta) {
    const std::int64_t current = ReadDigits(Trim(text)).value_or(0);
    const std::int64_t next = std::clamp<std::int64_t>(
        std::min<std::int64_t>(current, kSpinMaximum) + delta, 0, kSpinMaximum);
    const std::string s = std::to_string(next);
    return std::u16string(s.begin(), s.end());
}

int SpinStep(long long heldMs) {
    if (heldMs >= 10000) {
        return 1000;
    }
    return heldMs >= 5000 ? 100 : 10;
}

} // namespace tamblero
