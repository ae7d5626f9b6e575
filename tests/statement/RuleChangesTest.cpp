// The rules' changes: each a command whose undo and redo give back the same rules with the same
// ids, every part changed stamped after the last, a deletion leaving a record; the keys of the
// order always sort as the list does.
#include "statement/RuleChanges.h"

#include "StatementTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

namespace tamblero {
namespace {

constexpr ItemId kFood = 11;
constexpr ItemId kCafe = 12;

struct World {
    World() {
        ids.SetTimeSource([] { return std::int64_t{1'796'000'000'000}; });
        ids.SetThisDevice(DeviceId{0xABCDULL});
    }
    ItemId Add(std::u16string word, ItemId article) {
        auto change = std::make_unique<CAddRule>(memory, ids,
                                                 StatementRule{{std::move(word)}, article, {}, {}});
        const ItemId id = change->Id();
        stack.Push(std::move(change));
        return id;
    }
    CLedgerIds ids;
    CStatementMemory memory;
    CUndoStack stack;
};

bool KeysSortAsTheList(const CStatementMemory& memory) {
    const std::vector<StatementRule>& rules = memory.Rules().Rules();
    return std::adjacent_find(rules.begin(), rules.end(), [](const auto& a, const auto& b) {
               return !(a.place < b.place);
           }) == rules.end();
}

// Each row: the changes made after two rules ("магнит" then "кафе"), then undone one by one
// and redone: at each step the same rules, ids and keys as when it was first reached, the keys
// in the list's order, and no record of a live rule.
TEST(RuleChanges, UndoAndRedoGiveTheSameRules) {
    const struct {
        const char* invariant;
        std::function<void(World&, ItemId magnit, ItemId cafe)> change;
        std::function<void(const World&)> check;
    } cases[] = {
        {"a rule corrected by a later one goes before it",
         [](World& w, ItemId, ItemId) { w.Add(u"магнит", kCafe); },
         [](const World& w) { EXPECT_EQ(w.memory.Rules().Match(u"МАГНИТ", 5), kCafe); }},
        {"a change stamps only what it changes",
         [](World& w, ItemId magnit, ItemId) {
             w.stack.Push(std::make_unique<CChangeRule>(
                 w.memory, w.ids, magnit, std::vector<std::u16string>{u"магнит"}, kFood, 10, 99));
         },
         [](const World& w) {
             const RuleStamps& s = w.memory.Rules().Rules()[0].stamps;
             EXPECT_EQ(s.words, s.article);
             EXPECT_LT(s.article, s.range);
         }},
        {"moves to the front and the end",
         [](World& w, ItemId magnit, ItemId cafe) {
             w.stack.Push(std::make_unique<CMoveRule>(w.memory, w.ids, cafe, 0));
             w.stack.Push(std::make_unique<CMoveRule>(w.memory, w.ids, cafe, 1));
             w.stack.Push(std::make_unique<CMoveRule>(w.memory, w.ids, magnit, 1));
         },
         [](const World& w) { EXPECT_EQ(RuleTitle(w.memory.Rules().Rules()[1]), u"магнит"); }},
        {"a deletion leaves a record with the rule's last values",
         [](World& w, ItemId magnit, ItemId) {
             w.stack.Push(std::make_unique<CDeleteRule>(w.memory, w.ids, magnit));
         },
         [](const World& w) {
             ASSERT_EQ(w.memory.GoneRules().size(), 1U);
             EXPECT_EQ(RuleTitle(w.memory.GoneRules()[0].last), u"магнит");
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.invariant);
        World w;
        const ItemId magnit = w.Add(u"магнит", kFood);
        const ItemId cafe = w.Add(u"кафе", kCafe);
        c.change(w, magnit, cafe);
        c.check(w);
        // The states reached, each without its stamps, which an undo and a redo renew.
        const auto plain = [&w] {
            std::vector<StatementRule> rules = w.memory.Rules().Rules();
            for (StatementRule& rule : rules) {
                rule.stamps = {};
            }
            return rules;
        };
        const std::vector<StatementRule> end = plain();
        std::vector<std::vector<StatementRule>> back;
        while (w.stack.DoneCount() > 0) {
            ASSERT_TRUE(w.stack.Undo());
            back.push_back(plain());
            EXPECT_TRUE(KeysSortAsTheList(w.memory));
        }
        EXPECT_TRUE(w.memory.Rules().Rules().empty());
        EXPECT_GE(w.memory.GoneRules().size(), 2U); // those added, taken back
        while (w.stack.CanRedo()) {
            ASSERT_TRUE(w.stack.Redo());
            EXPECT_TRUE(KeysSortAsTheList(w.memory));
            const std::size_t done = w.stack.DoneCount();
            if (done < back.size()) {
                EXPECT_EQ(plain(), back[back.size() - 1 - done]) << done;
            }
            for (const StatementRule& rule : w.memory.Rules().Rules()) {
                EXPECT_FALSE(std::any_of(w.memory.GoneRules().begin(), w.memory.GoneRules().end(),
                                         [&](const GoneRule& g) { return g.last.id == rule.id; }));
            }
        }
        EXPECT_EQ(plain(), end);
    }
}

// Each row: two bounds and the key between them: above the one, below the other, never
// ending in a zero byte.
TEST(RuleChanges, PlaceKeysFitBetweenAnyTwo) {
    const struct {
        std::string before;
        std::string after;
    } cases[] = {
        {"", ""},
        {"", "\x01"},
        {"\x01", "\x02"},
        {"\xff", ""},
        {"\x05", std::string("\x05\x00\x01", 3)},
        {"\x7f\xff\xff", "\x80"},
        {"\x80", "\x80\x01"},
    };
    for (const auto& c : cases) {
        const std::string key = RulePlaceBetween(c.before, c.after);
        ASSERT_FALSE(key.empty());
        EXPECT_NE(key.back(), '\0');
        EXPECT_LT(c.before, key);
        if (!c.after.empty()) {
            EXPECT_LT(key, c.after);
        }
    }
    // A thousand rules put at the front, one after another: the key grows slowly.
    std::string front = RulePlaceBetween("", "");
    for (int i = 0; i < 1000; ++i) {
        const std::string next = RulePlaceBetween("", front);
        ASSERT_LT(next, front);
        front = next;
    }
    EXPECT_LE(front.size(), 1000U / 8 + 2);
}

} // namespace
} // namespace tamblero
