// The rules' changes: undo and redo give back the same rules with the same ids and keys, the
// keys sorting as the list does; a key fits between any two.
#include "statement/RuleChanges.h"

#include "StatementTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace tamblero {
namespace {

constexpr ItemId kFood = 11;
constexpr ItemId kCafe = 12;

TEST(RuleChanges, UndoAndRedoGiveBackTheSameRules) {
    // Each change undone, then redone, gives every state it passed again (its stamps renewed),
    // the keys in the list's order, and a record for each rule out of the list.
    CLedgerIds ids;
    ids.SetTimeSource([] { return std::int64_t{1'796'000'000'000}; });
    ids.SetThisDevice(DeviceId{0xABCDULL});
    CStatementMemory memory;
    CUndoStack stack;
    std::vector<std::vector<StatementRule>> states{{}};
    const auto state = [&memory] {
        std::vector<StatementRule> rules = memory.Rules().Rules();
        for (StatementRule& rule : rules) {
            rule.stamps = {};
        }
        EXPECT_TRUE(std::is_sorted(rules.begin(), rules.end(),
                                   [](const auto& a, const auto& b) { return a.place < b.place; }));
        return rules;
    };
    const auto push = [&](std::unique_ptr<IUndoCommand> change) {
        stack.Push(std::move(change));
        states.push_back(state());
    };
    const auto add = [&](const char16_t* word, ItemId article) {
        auto change =
            std::make_unique<CAddRule>(memory, ids, StatementRule{{word}, article, {}, {}});
        const ItemId id = change->Id();
        push(std::move(change));
        return id;
    };
    const ItemId magnit = add(u"магнит", kFood);
    const ItemId cafe = add(u"кафе", kCafe);
    add(u"магнит", kCafe); // corrects the first: put before it
    EXPECT_EQ(memory.Rules().Match(u"МАГНИТ", 5), kCafe);
    push(std::make_unique<CChangeRule>(memory, ids, magnit, std::vector<std::u16string>{u"магнит"},
                                       kFood, 10, 99));
    push(std::make_unique<CMoveRule>(memory, ids, cafe, 0));
    push(std::make_unique<CMoveRule>(memory, ids, magnit, 0));
    push(std::make_unique<CDeleteRule>(memory, ids, cafe));
    EXPECT_EQ(memory.GoneRules().size(), 1U);
    for (std::size_t done = states.size() - 1; done > 0; --done) {
        ASSERT_TRUE(stack.Undo());
        EXPECT_EQ(state(), states[done - 1]) << done;
    }
    EXPECT_EQ(memory.GoneRules().size(), 3U);
    for (std::size_t done = 1; done < states.size(); ++done) {
        ASSERT_TRUE(stack.Redo());
        EXPECT_EQ(state(), states[done]) << done;
    }
    EXPECT_EQ(memory.GoneRules().size(), 1U);
}

// Each row: two bounds and the key between them: above the one, below the other, never
// ending in a zero byte.
TEST(RuleChanges, PlaceKeysFitBetweenAnyTwo) {
    const std::pair<std::string, std::string> cases[] = {
        {"", ""},
        {"", "\x01"},
        {"\x01", "\x02"},
        {"\xff", ""},
        {"\x7f\xff", "\x80"},
        {"\x80", "\x80\x01"},
        {"\x05", std::string("\x05\x00\x01", 3)},
    };
    for (const auto& [before, after] : cases) {
        const std::string key = RulePlaceBetween(before, after);
        ASSERT_FALSE(key.empty());
        EXPECT_NE(key.back(), '\0');
        EXPECT_LT(before, key);
        EXPECT_TRUE(after.empty() || key < after);
    }
    // A thousand rules put at the front one after another: a byte more every eight.
    std::string front = RulePlaceBetween("", "");
    for (int i = 0; i < 1000; ++i) {
        front = RulePlaceBetween("", front);
    }
    EXPECT_LE(front.size(), 1000U / 8 + 2);
}

} // namespace
} // namespace tamblero
