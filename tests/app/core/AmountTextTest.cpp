// Typed amounts are read exactly or refused with a reason; nothing wraps to another amount.
#include "app/core/AmountText.h"
#include "resources/StringTable.h"

#include <gtest/gtest.h>

namespace tamblero {
namespace {

struct ParseCase {
    const char16_t* text;
    std::optional<Amount> value;
    unsigned messageId;
};

void ExpectParses(AmountParse (*parse)(std::u16string_view), const ParseCase& c) {
    const AmountParse result = parse(c.text);
    const std::u16string text = c.text;
    EXPECT_EQ(result.value, c.value) << std::string(text.begin(), text.end());
    EXPECT_EQ(result.messageId, c.messageId) << std::string(text.begin(), text.end());
    if (c.messageId != 0) {
        EXPECT_FALSE(LoadString(c.messageId).empty());
    }
}

TEST(ParseDigitsAmount, AcceptsUnsignedWithinInt32AndRefusesTheRest) {
    const ParseCase cases[] = {
        {u"0", 0, 0},
        {u"32768", 32768, 0},
        {u"2147483647", 2147483647, 0},
        {u" 15 ", 15, 0},
        {u"007", 7, 0},
        {u"2147483648", std::nullopt, IDS_AMOUNT_TOO_LARGE},
        {u"4294967295", std::nullopt, IDS_AMOUNT_TOO_LARGE},
        {u"99999999999999999999999", std::nullopt, IDS_AMOUNT_TOO_LARGE},
        {u"", std::nullopt, IDS_AMOUNT_NOT_NUMBER},
        {u"   ", std::nullopt, IDS_AMOUNT_NOT_NUMBER},
        {u"-1", std::nullopt, IDS_AMOUNT_NOT_NUMBER},
        {u"+1", std::nullopt, IDS_AMOUNT_NOT_NUMBER},
        {u"1 2", std::nullopt, IDS_AMOUNT_NOT_NUMBER},
        {u"12a", std::nullopt, IDS_AMOUNT_NOT_NUMBER},
        {u"\u0661", std::nullopt, IDS_AMOUNT_NOT_NUMBER}, // an Arabic-Indic one is no digit here
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
        {u"-25", -25, 0},
        {u"2147483647", 2147483647, 0},
        {u"-2147483648", -2147483647 - 1, 0},
        {u"2147483648", std::nullopt, IDS_AMOUNT_OUT_OF_RANGE},
        {u"-2147483649", std::nullopt, IDS_AMOUNT_OUT_OF_RANGE},
        {u"-99999999999999999999", std::nullopt, IDS_AMOUNT_OUT_OF_RANGE},
        {u"", std::nullopt, IDS_AMOUNT_NOT_NUMBER},
        {u"-", std::nullopt, IDS_AMOUNT_NOT_NUMBER},
        {u"--1", std::nullopt, IDS_AMOUNT_NOT_NUMBER},
        {u"1.5", std::nullopt, IDS_AMOUNT_NOT_NUMBER},
        {u"сто", std::nullopt, IDS_AMOUNT_NOT_NUMBER},
    };
    for (const auto& c : cases) {
        ExpectParses(&ParseSignedAmount, c);
    }
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
