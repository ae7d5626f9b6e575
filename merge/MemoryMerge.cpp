#include "merge/MemoryMerge.h"

#include "merge/Facts.h"
#include "storage/VerdalonDoc.h"

#include <algorithm>
#include <map>
#include <optional>
#include <set>
#include <tuple>

namespace tamblero {

namespace {

// A rule with global ids, and its deletion where one is recorded.
struct RuleFact {
    StatementRule rule; // its id and article unused: the GIds below
    GId id;
    GId article;
    std::optional<CStamp> gone;
};

// The later stamp's value; of equal stamps the larger value.
template <class T> void JoinField(T& x, CStamp& sx, const T& y, const CStamp& sy) {
    if (sy > sx || (sy == sx && x < y)) {
        x = y;
        sx = sy;
    }
}

void Join(RuleFact& x, const RuleFact& y) {
    StatementRule& a = x.rule;
    const StatementRule& b = y.rule;
    JoinField(a.words, a.stamps.words, b.words, b.stamps.words);
    JoinField(x.article, a.stamps.article, y.article, b.stamps.article);
    auto range = std::pair{a.least, a.most};
    JoinField(range, a.stamps.range, std::pair{b.least, b.most}, b.stamps.range);
    std::tie(a.least, a.most) = range;
    JoinField(a.place, a.stamps.place, b.place, b.stamps.place);
    if (y.gone && (!x.gone || *x.gone < *y.gone)) {
        x.gone = y.gone;
    }
}

// A bank id's item, ids global.
using RecordedFact = std::tuple<GId, std::u16string, GId>;

void Take(const CVerdalonDoc& doc, std::map<GId, RuleFact>& rules,
          std::map<GId, std::set<std::u16string>>& imported, std::set<RecordedFact>& recorded,
          std::map<GId, CsvMemo>& csv) {
    const CLedgerIds& ids = doc.Ids();
    const CStatementMemory& memory = doc.StatementMemory();
    const auto add = [&](const StatementRule& rule, std::optional<CStamp> gone) {
        RuleFact fact{rule, GlobalId(ids, rule.id), GlobalId(ids, rule.article), gone};
        const auto [at, fresh] = rules.try_emplace(fact.id, fact);
        if (!fresh) {
            Join(at->second, fact);
        }
    };
    for (const StatementRule& rule : memory.Rules().Completed()) {
        add(rule, std::nullopt);
    }
    for (const GoneRule& gone : memory.GoneRules()) {
        add(gone.last, gone.stamp);
    }
    for (const auto& [account, bankIds] : memory.AllImported()) {
        imported[GlobalId(ids, account)].insert(bankIds.begin(), bankIds.end());
    }
    for (const RecordedBankId& r : memory.RecordedItems()) {
        recorded.emplace(GlobalId(ids, r.account), r.bankId, GlobalId(ids, r.item));
    }
    // Whole, as one field: the later stamp, of equal stamps the later value in a fixed order.
    for (const auto& [account, memo] : memory.AllCsv()) {
        const auto [at, fresh] = csv.try_emplace(GlobalId(ids, account), memo);
        if (!fresh && (memo.stamp > at->second.stamp ||
                       (memo.stamp == at->second.stamp && at->second.ValueBefore(memo)))) {
            at->second = memo;
        }
    }
}

CStamp Latest(const RuleStamps& s) {
    return std::max({s.words, s.article, s.range, s.place});
}

} // namespace

CStatementMemory MergeMemories(const CVerdalonDoc& ours, const CVerdalonDoc& theirs,
                               CLedgerIds& ids) {
    std::map<GId, RuleFact> rules;
    std::map<GId, std::set<std::u16string>> imported;
    std::set<RecordedFact> recorded;
    std::map<GId, CsvMemo> csv;
    Take(ours, rules, imported, recorded, csv);
    Take(theirs, rules, imported, recorded, csv);

    CStatementMemory merged;
    std::vector<StatementRule> live;
    for (auto& [id, fact] : rules) {
        fact.rule.id = LocalId(ids, fact.id);
        fact.rule.article = LocalId(ids, fact.article);
        if (fact.rule.id == kNoId) {
            continue;
        }
        // As for accounts: a change after the deletion brings the rule back.
        if (fact.gone && Latest(fact.rule.stamps) < *fact.gone) {
            merged.GoneRules().push_back({std::move(fact.rule), *fact.gone});
        } else {
            live.push_back(std::move(fact.rule));
        }
    }
    // The map gave them in id order: a stable sort orders equal keys by id.
    std::stable_sort(live.begin(), live.end(), [](const StatementRule& a, const StatementRule& b) {
        return a.place < b.place;
    });
    merged.Rules() = CRuleList(std::move(live));
    // Every account's ids, whether the account stays or not: an account a later change brings
    // back must not import again what it had, and a union stays the same in every order.
    for (const auto& [account, bankIds] : imported) {
        if (const ItemId local = LocalId(ids, account); local != kNoId) {
            for (const std::u16string& bankId : bankIds) {
                merged.Remember(local, bankId);
            }
        }
    }
    // The pairs united as well: whether a bank id still counts is its items' deletion records'
    // to say, which the merge joins with the items.
    for (const auto& [account, bankId, item] : recorded) {
        const ItemId localAccount = LocalId(ids, account);
        const ItemId localItem = LocalId(ids, item);
        if (localAccount != kNoId && localItem != kNoId) {
            merged.RememberItem({localAccount, bankId, localItem});
        }
    }
    for (auto& [account, memo] : csv) {
        if (const ItemId local = LocalId(ids, account); local != kNoId) {
            merged.SetCsv(local, std::move(memo));
        }
    }
    return merged;
}

bool SameMemory(const CStatementMemory& a, const CStatementMemory& b) {
    const auto sorted = [](const CStatementMemory& m) {
        std::vector<GoneRule> gone = m.GoneRules();
        std::sort(gone.begin(), gone.end(),
                  [](const GoneRule& x, const GoneRule& y) { return x.last.id < y.last.id; });
        return gone;
    };
    return a.Rules().Rules() == b.Rules().Rules() && a.AllImported() == b.AllImported() &&
           a.RecordedItems() == b.RecordedItems() && a.AllCsv() == b.AllCsv() &&
           sorted(a) == sorted(b);
}

} // namespace tamblero
