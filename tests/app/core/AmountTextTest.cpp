// Typed amounts are read exactly or refused with a reason; nothing wraps to another amount.
#include "app/core/AmountText.h"
#include "resources/StringTable.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace tamblero {
namespace {

struct ParseCase {
    const char16_t* text;
    std::optional<Amount> value;
    unsigned messageId;
};

std::string Narrow(std::u16string_view text) {
    return {text.begin(), text.end()}; // enough to tell the rows apart
}

// A refusal gives its reason and names what was typed, without the blanks around it.
void ExpectParses(AmountParse (*parse)(std::u16string_view), const ParseCase& c) {
    const AmountParse result = parse(c.text);
    std::u16string_view typed = c.text;
    EXPECT_EQ(result.value, c.value) << Narrow(typed);
    EXPECT_EQ(result.messageId, c.messageId) << Narrow(typed);
    if (c.messageId == 0) {
        EXPECT_TRUE(result.message.empty()) << Narrow(typed);
        return;
    }
    typed.remove_prefix(std::min(typed.find_first_not_of(u" \t"), typed.size()));
    typed.remove_suffix(typed.size() - std::min(typed.find_last_not_of(u" \t") + 1, typed.size()));
    const std::u16string quoted = u"«" + std::u16string(typed) + u"»";
    EXPECT_NE(result.message.find(typed.empty() ? u"сумму" : quoted), std::u16string::npos)
        << Narrow(typed);
}

TEST(ParseDigitsAmount, AcceptsUnsignedWithinInt32AndRefusesTheRest) {
    const ParseCase cases[] = {
        {u"0", 0, 0},
        {u"32768", 32768, 0},
        {u"2147483647", 2147483647, 0},
        {u" 15 ", 15, 0},
        {u" 250 ", 250, 0},
        {u"\t250\t", 250, 0},
        {u"007", 7, 0},
        {u"2147483648", std::nullopt, IDS_AMOUNT_ABOVE_MAX},
        {u"4294967295", std::nullopt, IDS_AMOUNT_ABOVE_MAX},
        {u"99999999999999999999999", std::nullopt, IDS_AMOUNT_ABOVE_MAX},
        {u"", std::nullopt, IDS_AMOUNT_MISSING},
        {u"   ", std::nullopt, IDS_AMOUNT_MISSING},
        // Nothing is dropped to make a number: not 9950, not 5.
        {u"99.50", std::nullopt, IDS_AMOUNT_FRACTION},
        {u"99,50", std::nullopt, IDS_AMOUNT_FRACTION},
        {u" 99.50 ", std::nullopt, IDS_AMOUNT_FRACTION},
        {u".5", std::nullopt, IDS_AMOUNT_FRACTION},
        {u"1,000", std::nullopt, IDS_AMOUNT_FRACTION},
        {u"-1", std::nullopt, IDS_AMOUNT_SIGNED},
        {u"+5", std::nullopt, IDS_AMOUNT_SIGNED},
        {u"-0", std::nullopt, IDS_AMOUNT_SIGNED},
        {u"-9.5", std::nullopt, IDS_AMOUNT_FRACTION},
        {u"1 2", std::nullopt, IDS_AMOUNT_NOT_DIGITS},
        {u"12a", std::nullopt, IDS_AMOUNT_NOT_DIGITS},
        {u"1e3", std::nullopt, IDS_AMOUNT_NOT_DIGITS},
        {u".", std::nullopt, IDS_AMOUNT_NOT_DIGITS},
        {u"\u0661", std::nullopt, IDS_AMOUNT_NOT_DIGITS}, // an Arabic-Indic one is no digit here
        {u"\u0663", std::nullopt, IDS_AMOUNT_NOT_DIGITS},
        {u"\uFF15", std::nullopt, IDS_AMOUNT_NOT_DIGITS}, // nor a full-width one
        // Groups of three, with a blank, a no-break or a thin space between them.
        {u"1 250", 1250, 0},
        {u"12\u00A0345\u00A0678", 12345678, 0},
        {u"1\u2009250", 1250, 0},
        {u"2\u202F147\u202F483\u202F647", 2147483647, 0},
        {u"\u00A01 250\u00A0", 1250, 0},
        {u"2 147 483 648", std::nullopt, IDS_AMOUNT_ABOVE_MAX},
        {u"-1 250", std::nullopt, IDS_AMOUNT_SIGNED},
        {u"1 250,50", std::nullopt, IDS_AMOUNT_FRACTION},
        // Anything but groups of three is a slip, never a number.
        {u"1 25", std::nullopt, IDS_AMOUNT_NOT_DIGITS},
        {u"12 50", std::nullopt, IDS_AMOUNT_NOT_DIGITS},
        {u"1250 000", std::nullopt, IDS_AMOUNT_NOT_DIGITS},
        {u"1  250", std::nullopt, IDS_AMOUNT_NOT_DIGITS},
        {u"1 2500", std::nullopt, IDS_AMOUNT_NOT_DIGITS},
        {u"1\u2002250", std::nullopt, IDS_AMOUNT_NOT_DIGITS}, // an en space is no group mark
    };
    for (const auto& c : cases) {
        ExpectParses(&ParseDigitsAmount, c);
    }
}

TEST(ParseSignedAmount, AcceptsTheWholeInt32RangeWithASign) {
    const ParseCase cases[] = {
        {u"0", 0, 0},
        {u"-0", 0, 0},
        {u"+25", 25, 0},
        {u"+5", 5, 0},
        {u"-25", -25, 0},
        {u" 250 ", 250, 0},
        {u"2147483647", 2147483647, 0},
        {u"-2147483648", -2147483647 - 1, 0},
        {u"2147483648", std::nullopt, IDS_AMOUNT_BEYOND_RANGE},
        {u"-2147483649", std::nullopt, IDS_AMOUNT_BEYOND_RANGE},
        {u"-99999999999999999999", std::nullopt, IDS_AMOUNT_BEYOND_RANGE},
        {u"", std::nullopt, IDS_AMOUNT_MISSING},
        {u"-", std::nullopt, IDS_AMOUNT_NOT_DIGITS},
        {u"--1", std::nullopt, IDS_AMOUNT_NOT_DIGITS},
        {u"1.5", std::nullopt, IDS_AMOUNT_FRACTION},
        {u"-99,50", std::nullopt, IDS_AMOUNT_FRACTION},
        {u"1e3", std::nullopt, IDS_AMOUNT_NOT_DIGITS},
        {u"\u0663", std::nullopt, IDS_AMOUNT_NOT_DIGITS},
        {u"сто", std::nullopt, IDS_AMOUNT_NOT_DIGITS},
        {u"-12 345 678", -12345678, 0},
        {u"+1\u00A0250", 1250, 0},
        {u"-2 147 483 648", -2147483647 - 1, 0},
        {u"-2 147 483 649", std::nullopt, IDS_AMOUNT_BEYOND_RANGE},
        {u"-1 25", std::nullopt, IDS_AMOUNT_NOT_DIGITS},
    };
    for (const auto& c : cases) {
        ExpectParses(&ParseSignedAmount, c);
    }
}

TEST(ParseDigitsAmount, QuotesALongTextShortened) {
    // A pasted page of text is named by its beginning, not repeated whole.
    const std::u16string pasted = u"12" + std::u16string(5000, u'x');
    const AmountParse result = ParseDigitsAmount(pasted);
    EXPECT_EQ(result.messageId, IDS_AMOUNT_NOT_DIGITS);
    EXPECT_LT(result.message.size(), std::size_t{300});
    EXPECT_NE(result.message.find(u"«12xxx"), std::u16string::npos);
}

TEST(StepAmountText, StaysWithinTheSpinRange) {
    struct StepCase {
        const char16_t* text;
        int delta;
        const char16_t* result;
    };
    const StepCase cases[] = {
        {u"", 10, u"10"},         {u"x", 10, u"10"},         {u"5", -10, u"0"},
        {u"32760", 10, u"32767"}, {u"40000", -10, u"32757"}, {u"100", 1000, u"1100"},
        {u"1 250", 10, u"1260"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(StepAmountText(c.text, c.delta), std::u16string(c.result));
    }
}

TEST(SpinStep, AcceleratesAfterFiveAndTenSeconds) {
    EXPECT_EQ(SpinStep(0), 10);
    EXPECT_EQ(SpinStep(4999), 10);
    EXPECT_EQ(SpinStep(5000), 100);
    EXPECT_EQ(SpinStep(9999), 100);
    EXPECT_EQ(SpinStep(10000), 1000);
}

} // namespace
} // namespace tamblero
