#include "dialogs/RulesModel.h"

#include "app/core/EntryListing.h"
#include "dialogs/QtStrings.h"
#include "resources/StringTable.h"
#include "statement/Rules.h"
#include "storage/VerdalonDoc.h"

#include <algorithm>

namespace tamblero {

QString RuleRangeText(const StatementRule& rule) {
    const auto number = [](Amount amount) {
        return std::u16string(QString::number(amount).toStdU16String());
    };
    if (rule.least && rule.most) {
        return QStr(FormatString(IDS_RULES_BETWEEN, {number(*rule.least), number(*rule.most)}));
    }
    if (rule.least) {
        return QStr(FormatString(IDS_RULES_FROM, {number(*rule.least)}));
    }
    if (rule.most) {
        return QStr(FormatString(IDS_RULES_TO, {number(*rule.most)}));
    }
    return {};
}

CRulesModel::CRulesModel(const CVerdalonDoc& doc, QObject* parent)
    : QAbstractTableModel(parent), m_doc(doc) {
    Reload();
}

int CRulesModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rules.size());
}

int CRulesModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant CRulesModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid)) {
        return {};
    }
    const StatementRule& rule = Rule(index.row());
    if (role == RuleIdRole) {
        return QVariant::fromValue<quint64>(rule.id);
    }
    if (role == Qt::DisplayRole) {
        switch (index.column()) {
        case WordsColumn:
            return QStr(RuleTitle(rule));
        case ArticleColumn:
            return m_paths[static_cast<std::size_t>(index.row())];
        case RangeColumn:
            return RuleRangeText(rule);
        default:
            return {};
        }
    }
    if (role == RawValueRole) {
        switch (index.column()) {
        case WordsColumn:
            return QStr(RuleTitle(rule));
        case ArticleColumn:
            return QVariant::fromValue<quint64>(rule.article);
        case RangeColumn:
            return rule.least ? QVariant(*rule.least) : QVariant();
        default:
            return {};
        }
    }
    return {};
}

QVariant CRulesModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) {
        return {};
    }
    switch (section) {
    case WordsColumn:
        return QText(IDS_RULES_COL_WORDS);
    case ArticleColumn:
        return QText(IDS_RULES_COL_ARTICLE);
    case RangeColumn:
        return QText(IDS_RULES_COL_RANGE);
    default:
        return {};
    }
}

int CRulesModel::RowOf(ItemId id) const {
    const auto at = std::find_if(m_rules.begin(), m_rules.end(),
                                 [id](const StatementRule& rule) { return rule.id == id; });
    return at == m_rules.end() ? -1 : static_cast<int>(at - m_rules.begin());
}

void CRulesModel::Reload() {
    beginResetModel();
    m_rules = m_doc.StatementMemory().Rules().Rules();
    m_paths.clear();
    // An article merged into another shows the one that took it, as the import gives it.
    const CRuleArticles articles(*m_doc.GetRoot(), m_doc.Ids());
    for (const StatementRule& rule : m_rules) {
        const CExpenseArticle* article = articles.Find(rule.article);
        m_paths.push_back(article != nullptr ? QStr(CategoryPath(*article))
                                             : QText(IDS_RULES_ARTICLE_GONE));
    }
    endResetModel();
}

} // namespace tamblero
