// Rules that give an imported row its article from the bank's words, learnt from the
// articles the user gives: "the description holds these words -> this article".
#pragma once

#include "model/Identity.h"
#include "model/Money.h"

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tamblero {

class CExpenseArticle;
class CExpenseGroup;
class CRuleArticles;

// When each part of a rule was last changed; a zero stamp: never, which every copy agrees on.
struct RuleStamps {
    CStamp words;
    CStamp article;
    CStamp range; // least and most together
    CStamp place; // its place in the order, and its coming back after a deletion
    bool operator==(const RuleStamps&) const = default;
};

struct StatementRule {
    // Folded as FoldCase folds (model/Notes.h); the rule holds where the description holds
    // every one of them, in any order and case.
    std::vector<std::u16string> words;
    ItemId article = kNoId;
    // The amount's size in whole units, both ends included, where the rule asks for it.
    std::optional<Amount> least;
    std::optional<Amount> most;
    // What a ledger's copies merge by: its lasting id (none for a rule no document holds), its
    // key in the order (bytes compared unsigned, never empty nor ending in 0 once placed, see
    // RulePlaceBetween) and its stamps. A list keeps the order of its vector; a merge orders by
    // key, then id.
    ItemId id = kNoId;
    std::string place{};
    RuleStamps stamps{};

    bool operator==(const StatementRule&) const = default;
};

// The words of a bank's description that say who was paid: folded, each once, in their
// order, without what changes from one payment to the next: dates, times, sums, card digits
// ("*1234", "4276****1234"), reference numbers, so any word holding a digit, and punctuation
// around words.
[[nodiscard]] std::vector<std::u16string> RuleWords(std::u16string_view description);

// A key that sorts after `before` and before `after`, bytes compared unsigned; an empty one is
// no bound. Before must sort before after where both are given. Keys grow by a byte only
// when eight rules in a row went to one spot.
[[nodiscard]] std::string RulePlaceBetween(std::string_view before, std::string_view after);

// The id of a rule that has none (put in by CRuleList::Add or a constructor, never by a change
// of statement/RuleChanges): derived from its content and its place, the same on every device.
[[nodiscard]] ItemId DerivedRuleId(const StatementRule& rule, std::size_t index);

// "words of the rule" as the window and the changes name a rule.
[[nodiscard]] std::u16string RuleTitle(const StatementRule& rule);

// The rules in their order: the first that holds wins.
class CRuleList final {
public:
    CRuleList() = default;
    explicit CRuleList(std::vector<StatementRule> rules) : m_rules(std::move(rules)) {}

    // The article of the first rule that holds for a row of this description and amount (its
    // size is what a range compares), or kNoId.
    [[nodiscard]] ItemId Match(std::u16string_view description, Amount amount) const;
    // Match with the description already folded: 10,000 rows fold once each.
    [[nodiscard]] ItemId MatchFolded(std::u16string_view folded, Amount amount) const;

    // The rule the user's choice of this article for this description teaches, or nothing
    // where it teaches nothing: the rules already give it that article (where given, as
    // `articles` resolves theirs), or no word is left of the description.
    [[nodiscard]] std::optional<StatementRule>
    Proposal(std::u16string_view description, Amount amount, ItemId article,
             const CRuleArticles* articles = nullptr) const;
    // Puts the rule in before the first rule that holds for every description it holds for
    // and names another article, so that it corrects that rule; else at the end. Returns
    // its place.
    std::size_t Add(StatementRule rule);
    // The place Add gives the rule.
    [[nodiscard]] std::size_t AddIndex(const StatementRule& rule) const;

    [[nodiscard]] const std::vector<StatementRule>& Rules() const { return m_rules; }

    // For the changes of statement/RuleChanges, which keep the ids, keys and stamps.
    [[nodiscard]] StatementRule& At(std::size_t index) { return m_rules[index]; }
    // The place of the rule of that id, or npos.
    [[nodiscard]] std::size_t IndexOf(ItemId id) const;
    void Insert(std::size_t index, StatementRule rule);
    StatementRule Remove(std::size_t index);
    // The key for a rule put at index, the list without it.
    [[nodiscard]] std::string PlaceAt(std::size_t index) const;
    // The rules, each without an id given its derived one and each without a key one between
    // its neighbours': what the file and a merge take, so that no rule is lost for want of them.
    [[nodiscard]] std::vector<StatementRule> Completed() const;

private:
    std::vector<StatementRule> m_rules;
};

// The articles the rules name, as the tree now has them. A rule keeps the id it was given, so
// that undoing a merge of articles needs nothing of it: an article merged into another (its
// deletion record forwards, perhaps along a chain of merges) answers with the one that took it;
// one deleted outright, with none. Built once per lookup of many rows; holds until the tree or
// its deletion records change.
class CRuleArticles final {
public:
    CRuleArticles(const CExpenseGroup& root, const CLedgerIds& ids);

    // The live article the id names now, or null.
    [[nodiscard]] CExpenseArticle* Find(ItemId article) const;
    // Its id, or kNoId.
    [[nodiscard]] ItemId Resolve(ItemId article) const;

private:
    std::unordered_map<ItemId, CExpenseArticle*> m_articles;
    std::unordered_map<ItemId, ItemId> m_forwards; // merged nodes, to what took them
};

} // namespace tamblero
