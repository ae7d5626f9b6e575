#include "statement/RuleChanges.h"

#include "resources/StringTable.h"

#include <utility>

namespace tamblero {

namespace {

const StatementRule& RuleOf(const CStatementMemory& memory, ItemId id) {
    return memory.Rules().Rules().at(memory.Rules().IndexOf(id));
}

} // namespace

CAddRule::CAddRule(CStatementMemory& memory, CLedgerIds& ids, StatementRule rule)
    : IUndoCommand(FormatString(IDS_CHANGE_NEW_RULE, {RuleTitle(rule)})), m_memory(memory),
      m_ids(ids), m_rule(std::move(rule)) {
    m_rule.id = ids.NewId();
    const CStamp made = ids.Stamp();
    m_rule.stamps = {made, made, made, made};
}

void CAddRule::Redo() {
    CRuleList& rules = m_memory.Rules();
    if (!m_index) {
        m_index = rules.AddIndex(m_rule);
        m_rule.place = rules.PlaceAt(*m_index);
    }
    if (m_bUndone) {
        m_memory.Unbury(m_rule.id);
        m_rule.stamps.place = m_ids.Stamp();
    }
    rules.Insert(*m_index, std::move(m_rule));
}

void CAddRule::Undo() {
    m_rule = m_memory.Rules().Remove(*m_index);
    m_memory.Bury(m_rule, m_ids.Stamp());
    m_bUndone = true;
}

CChangeRule::CChangeRule(CStatementMemory& memory, CLedgerIds& ids, ItemId rule,
                         std::vector<std::u16string> words, ItemId article,
                         std::optional<Amount> least, std::optional<Amount> most)
    : IUndoCommand(FormatString(IDS_CHANGE_EDIT_RULE, {RuleTitle(RuleOf(memory, rule))})),
      m_memory(memory), m_ids(ids), m_other(RuleOf(memory, rule)) {
    m_other.words = std::move(words);
    m_other.article = article;
    m_other.least = least;
    m_other.most = most;
}

void CChangeRule::Swap() {
    StatementRule& rule = m_memory.Rules().At(m_memory.Rules().IndexOf(m_other.id));
    // Only what differs is stamped: a merge keeps another copy's change of the rest.
    if (rule.words != m_other.words) {
        std::swap(rule.words, m_other.words);
        rule.stamps.words = m_ids.Stamp();
    }
    if (rule.article != m_other.article) {
        std::swap(rule.article, m_other.article);
        rule.stamps.article = m_ids.Stamp();
    }
    if (rule.least != m_other.least || rule.most != m_other.most) {
        std::swap(rule.least, m_other.least);
        std::swap(rule.most, m_other.most);
        rule.stamps.range = m_ids.Stamp();
    }
}

CMoveRule::CMoveRule(CStatementMemory& memory, CLedgerIds& ids, ItemId rule, std::size_t to)
    : IUndoCommand(FormatString(IDS_CHANGE_MOVE_RULE, {RuleTitle(RuleOf(memory, rule))})),
      m_memory(memory), m_ids(ids), m_from(memory.Rules().IndexOf(rule)), m_to(to),
      m_oldPlace(RuleOf(memory, rule).place) {
    CRuleList without = memory.Rules();
    (void)without.Remove(m_from);
    m_newPlace = without.PlaceAt(to);
}

void CMoveRule::Move(std::size_t from, std::size_t to, const std::string& place) {
    CRuleList& rules = m_memory.Rules();
    StatementRule rule = rules.Remove(from);
    rule.place = place;
    rule.stamps.place = m_ids.Stamp();
    rules.Insert(to, std::move(rule));
}

CDeleteRule::CDeleteRule(CStatementMemory& memory, CLedgerIds& ids, ItemId rule)
    : IUndoCommand(FormatString(IDS_CHANGE_DELETE_RULE, {RuleTitle(RuleOf(memory, rule))})),
      m_memory(memory), m_ids(ids), m_id(rule) {}

void CDeleteRule::Redo() {
    m_index = m_memory.Rules().IndexOf(m_id);
    m_held = m_memory.Rules().Remove(m_index);
    m_memory.Bury(m_held, m_ids.Stamp());
}

void CDeleteRule::Undo() {
    m_memory.Unbury(m_id);
    // Its return is stamped, so that a copy that kept the deletion does not take it again.
    m_held.stamps.place = m_ids.Stamp();
    m_memory.Rules().Insert(m_index, std::move(m_held));
}

} // namespace tamblero
