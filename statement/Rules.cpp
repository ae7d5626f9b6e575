#include "statement/Rules.h"

#include "model/CategoryNode.h"
#include "model/Notes.h"

#include <algorithm>

namespace tamblero {

namespace {

bool IsDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

bool IsBlank(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\u00A0' || c == u'\u202F' || c == u'\n' || c == u'\r';
}

// Marks around a word, never part of it: ASCII punctuation, guillemets, dashes, quotes and
// the like of general punctuation, "№".
bool IsMark(char16_t c) {
    if (c < 0x80) {
        const bool alnum = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || IsDigit(c);
        return !alnum;
    }
    return c == u'«' || c == u'»' || c == u'№' || (c >= 0x2010 && c <= 0x2027);
}

bool Holds(const StatementRule& rule, std::u16string_view folded, Amount amount) {
    const std::int64_t size = amount < 0 ? -std::int64_t{amount} : std::int64_t{amount};
    if ((rule.least && size < *rule.least) || (rule.most && size > *rule.most)) {
        return false;
    }
    return std::all_of(rule.words.begin(), rule.words.end(), [&](const std::u16string& word) {
        return folded.find(word) != std::u16string_view::npos;
    });
}

std::u16string Joined(const std::vector<std::u16string>& words) {
    std::u16string text;
    for (const std::u16string& word : words) {
        text += word;
        text += u' ';
    }
    return text;
}

} // namespace

std::string RulePlaceBetween(std::string_view before, std::string_view after) {
    const auto digit = [](std::string_view key, std::size_t at) -> unsigned {
        return at < key.size() ? static_cast<unsigned char>(key[at]) : 0U;
    };
    std::string key;
    std::size_t at = 0;
    // The bytes both share, before's shorter end read as zeros.
    while (at < after.size() && digit(before, at) == digit(after, at)) {
        key += after[at++];
    }
    for (;; ++at) {
        const unsigned low = digit(before, at);
        const unsigned high = at < after.size() ? digit(after, at) : 256U;
        if (high - low > 1) {
            key += static_cast<char>((low + high) / 2);
            return key;
        }
        if (at + 1 < after.size()) {
            // After's first byte alone: above before, below after that goes on.
            key += after[at];
            return key;
        }
        // No room at this byte: before's, and a byte further below no bound.
        key += static_cast<char>(low);
        after = {};
    }
}

ItemId DerivedRuleId(const StatementRule& rule, std::size_t index) {
    CIdHash hash;
    hash.Add(index).Add(rule.article);
    for (const std::optional<Amount>& end : {rule.least, rule.most}) {
        hash.Add(end ? static_cast<std::uint64_t>(*end) + 1 : 0);
    }
    for (const std::u16string& word : rule.words) {
        hash.Add(word);
    }
    return DerivedId(hash.Value());
}

std::u16string RuleTitle(const StatementRule& rule) {
    std::u16string title = Joined(rule.words);
    if (!title.empty()) {
        title.pop_back();
    }
    return title;
}

std::size_t CRuleList::IndexOf(ItemId id) const {
    const auto found = std::find_if(m_rules.begin(), m_rules.end(),
                                    [id](const StatementRule& rule) { return rule.id == id; });
    return found == m_rules.end() ? std::string::npos
                                  : static_cast<std::size_t>(found - m_rules.begin());
}

void CRuleList::Insert(std::size_t index, StatementRule rule) {
    m_rules.insert(m_rules.begin() + static_cast<std::ptrdiff_t>(index), std::move(rule));
}

StatementRule CRuleList::Remove(std::size_t index) {
    StatementRule rule = std::move(m_rules[index]);
    m_rules.erase(m_rules.begin() + static_cast<std::ptrdiff_t>(index));
    return rule;
}

std::string CRuleList::PlaceAt(std::size_t index) const {
    const std::string before = index > 0 ? m_rules[index - 1].place : std::string{};
    // The first key past before's: two copies may have given rules one key, or none.
    std::string_view after;
    for (std::size_t i = index; i < m_rules.size(); ++i) {
        if (m_rules[i].place > before) {
            after = m_rules[i].place;
            break;
        }
    }
    return RulePlaceBetween(before, after);
}

std::vector<StatementRule> CRuleList::Completed() const {
    std::vector<StatementRule> rules = m_rules;
    std::string last;
    for (std::size_t i = 0; i < rules.size(); ++i) {
        StatementRule& rule = rules[i];
        if (rule.id == kNoId) {
            rule.id = DerivedRuleId(rule, i);
        }
        if (rule.place.empty()) {
            std::string_view after;
            for (std::size_t j = i + 1; j < rules.size() && after.empty(); ++j) {
                after = rules[j].place > last ? std::string_view(rules[j].place) : after;
            }
            rule.place = RulePlaceBetween(last, after);
        }
        last = rule.place;
    }
    return rules;
}

std::vector<std::u16string> RuleWords(std::u16string_view description) {
    std::vector<std::u16string> words;
    std::size_t at = 0;
    while (at < description.size()) {
        while (at < description.size() && IsBlank(description[at])) {
            ++at;
        }
        std::size_t end = at;
        while (end < description.size() && !IsBlank(description[end])) {
            ++end;
        }
        std::u16string_view word = description.substr(at, end - at);
        at = end;
        if (std::any_of(word.begin(), word.end(), IsDigit)) {
            continue;
        }
        while (!word.empty() && IsMark(word.front())) {
            word.remove_prefix(1);
        }
        while (!word.empty() && IsMark(word.back())) {
            word.remove_suffix(1);
        }
        if (word.empty()) {
            continue;
        }
        std::u16string folded = FoldCase(word);
        if (std::find(words.begin(), words.end(), folded) == words.end()) {
            words.push_back(std::move(folded));
        }
    }
    return words;
}

ItemId CRuleList::Match(std::u16string_view description, Amount amount) const {
    return MatchFolded(FoldCase(description), amount);
}

ItemId CRuleList::MatchFolded(std::u16string_view folded, Amount amount) const {
    for (const StatementRule& rule : m_rules) {
        if (Holds(rule, folded, amount)) {
            return rule.article;
        }
    }
    return kNoId;
}

std::optional<StatementRule> CRuleList::Proposal(std::u16string_view description, Amount amount,
                                                 ItemId article,
                                                 const CRuleArticles* articles) const {
    const ItemId matched = Match(description, amount);
    if (article == kNoId ||
        (articles != nullptr ? articles->Resolve(matched) : matched) == article) {
        return std::nullopt;
    }
    StatementRule rule;
    rule.words = RuleWords(description);
    rule.article = article;
    if (rule.words.empty()) {
        return std::nullopt;
    }
    return rule;
}

std::size_t CRuleList::AddIndex(const StatementRule& rule) const {
    const std::u16string own = Joined(rule.words);
    const auto place =
        std::find_if(m_rules.begin(), m_rules.end(), [&](const StatementRule& other) {
            return other.article != rule.article &&
                   std::all_of(other.words.begin(), other.words.end(),
                               [&](const std::u16string& w) {
                                   return own.find(w) != std::u16string::npos;
                               });
        });
    return static_cast<std::size_t>(place - m_rules.begin());
}

std::size_t CRuleList::Add(StatementRule rule) {
    const std::size_t index = AddIndex(rule);
    Insert(index, std::move(rule));
    return index;
}

CRuleArticles::CRuleArticles(const CExpenseGroup& root, const CLedgerIds& ids) {
    root.ForEachArticleBelow([this](CExpenseArticle& a) { m_articles.emplace(a.m_nId, &a); });
    for (const Tombstone& gone : ids.m_goneNodes) {
        if (gone.forward != kNoId) {
            m_forwards.emplace(gone.id, gone.forward);
        }
    }
}

CExpenseArticle* CRuleArticles::Find(ItemId article) const {
    // A chain of merges is as long as the merges made one after another; one that turns back
    // on itself (copies merged each way) ends the walk.
    for (std::size_t step = 0; article != kNoId && step <= m_forwards.size(); ++step) {
        if (const auto live = m_articles.find(article); live != m_articles.end()) {
            return live->second;
        }
        const auto forward = m_forwards.find(article);
        article = forward != m_forwards.end() ? forward->second : kNoId;
    }
    return nullptr;
}

ItemId CRuleArticles::Resolve(ItemId article) const {
    const CExpenseArticle* found = Find(article);
    return found != nullptr ? found->m_nId : kNoId;
}

} // namespace tamblero
