#include "app/core/AmountText.h"

#include "resources/StringTable.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace tamblero {

namespace {

constexpr std::int64_t kMin = std::numeric_limits<Amount>::min();
constexpr std::int64_t kMax = std::numeric_limits<Amount>::max();

// What may stand between groups of three digits: a blank, a no-break space or a thin one, as
// a bank's page or a word processor writes "1 250".
bool IsGroupMark(char16_t c) {
    return c == u' ' || c == u'\u00A0' || c == u'\u2009' || c == u'\u202F';
}

bool IsBlank(char16_t c) {
    return c == u'\t' || IsGroupMark(c);
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

// Digits in groups of three after a first group of one to three, one mark between groups:
// "1 250", "12 345 678". A text without marks is read as it is. Anything else is no number,
// so "1 25", most likely a slip, is never read as 125.
std::optional<std::int64_t> ReadGrouped(std::u16string_view body) {
    if (std::none_of(body.begin(), body.end(), IsGroupMark)) {
        return ReadDigits(body);
    }
    std::u16string digits;
    std::size_t group = 0; // the digits of the group being read
    bool first = true;
    for (const char16_t c : body) {
        if (!IsGroupMark(c)) {
            digits += c;
            ++group;
            continue;
        }
        if (group == 0 || group > 3 || (!first && group != 3)) {
            return std::nullopt;
        }
        first = false;
        group = 0;
    }
    if (group != 3) {
        return std::nullopt;
    }
    return ReadDigits(digits);
}

// Digits with a point or a comma among them: someone wrote kopecks or grouped thousands.
bool LooksFractional(std::u16string_view body) {
    bool digit = false;
    bool mark = false;
    for (const char16_t c : body) {
        if (c >= u'0' && c <= u'9') {
            digit = true;
        } else if (c == u'.' || c == u',') {
            mark = true;
        } else if (!IsGroupMark(c)) {
            return false;
        }
    }
    return digit && mark;
}

// The typed text as the message quotes it: without the blanks around it, and short.
std::u16string Quoted(std::u16string_view trimmed) {
    constexpr std::size_t kShown = 40;
    if (trimmed.size() <= kShown) {
        return std::u16string(trimmed);
    }
    std::size_t cut = kShown;
    if (trimmed[cut - 1] >= 0xD800 && trimmed[cut - 1] <= 0xDBFF) {
        --cut; // never half a surrogate pair
    }
    return std::u16string(trimmed.substr(0, cut)) + u"…";
}

AmountParse Refuse(unsigned id, std::u16string_view trimmed) {
    return AmountParse{std::nullopt, id, FormatString(id, {Quoted(trimmed)})};
}

// Why a text that is no run of digits, after its sign, is no amount.
AmountParse RefuseShape(std::u16string_view trimmed, std::u16string_view body) {
    if (trimmed.empty()) {
        return Refuse(IDS_AMOUNT_MISSING, trimmed);
    }
    return Refuse(LooksFractional(body) ? IDS_AMOUNT_FRACTION : IDS_AMOUNT_NOT_DIGITS, trimmed);
}

} // namespace

AmountParse ParseDigitsAmount(std::u16string_view text) {
    const std::u16string_view trimmed = Trim(text);
    const auto n = ReadGrouped(trimmed);
    if (!n) {
        const bool sign = !trimmed.empty() && (trimmed.front() == u'-' || trimmed.front() == u'+');
        if (sign && ReadGrouped(trimmed.substr(1))) {
            return Refuse(IDS_AMOUNT_SIGNED, trimmed);
        }
        return RefuseShape(trimmed, sign ? trimmed.substr(1) : trimmed);
    }
    if (*n > kMax) {
        return Refuse(IDS_AMOUNT_ABOVE_MAX, trimmed);
    }
    return AmountParse{static_cast<Amount>(*n), 0, {}};
}

AmountParse ParseSignedAmount(std::u16string_view text) {
    const std::u16string_view trimmed = Trim(text);
    std::u16string_view body = trimmed;
    bool negative = false;
    if (!body.empty() && (body.front() == u'-' || body.front() == u'+')) {
        negative = body.front() == u'-';
        body.remove_prefix(1);
    }
    const auto n = ReadGrouped(body);
    if (!n) {
        return RefuseShape(trimmed, body);
    }
    const std::int64_t value = negative ? -*n : *n;
    if (value < kMin || value > kMax) {
        return Refuse(IDS_AMOUNT_BEYOND_RANGE, trimmed);
    }
    return AmountParse{static_cast<Amount>(value), 0, {}};
}

std::u16string StepAmountText(std::u16string_view text, int delta) {
    const std::int64_t current = ReadGrouped(Trim(text)).value_or(0);
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
