#include "dialogs/SchedulesModel.h"

#include "app/core/Schedules.h"
#include "dialogs/DialogSupport.h"
#include "dialogs/QtStrings.h"
#include "model/Account.h"
#include "resources/StringTable.h"
#include "storage/VerdalonDoc.h"

#include <QLocale>

#include <algorithm>

namespace tamblero {

namespace {

constexpr StringId kRepeatTexts[] = {IDS_REPEAT_DAYS, IDS_REPEAT_WEEKS, IDS_REPEAT_MONTHS,
                                     IDS_REPEAT_YEARS, IDS_REPEAT_LAST_DAY};

QString DayText(DayNumber day) {
    return QLocale().toString(ToQDate(day), QLocale::ShortFormat);
}

// The first occurrence not recorded or skipped: one overdue shows its own day, so the list does
// not hide what waits.
std::optional<DayNumber> NextDay(const Schedule& s) {
    for (std::uint32_t k = 0; k < kMaxOccurrences; ++k) {
        const std::optional<DayNumber> day = OccurrenceDay(s.when, k);
        if (!day) {
            return std::nullopt;
        }
        const auto mark = s.marks.find(k);
        if (mark == s.marks.end() || mark->second.state == OccurrenceState::Open) {
            return day;
        }
    }
    return std::nullopt;
}

} // namespace

QString RepeatText(const ScheduleWhen& when) {
    const QString kind = QText(kRepeatTexts[static_cast<int>(when.repeat)]);
    return when.every == 1 ? kind
                           : QStr(FormatString(IDS_REPEAT_EVERY_N,
                                               {U16(kind), U16(QString::number(when.every))}));
}

CSchedulesModel::CSchedulesModel(CVerdalonDoc& doc, QObject* parent)
    : QAbstractTableModel(parent), m_doc(doc) {}

int CSchedulesModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int CSchedulesModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant CSchedulesModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid)) {
        return {};
    }
    const Row& row = m_rows[static_cast<std::size_t>(index.row())];
    const Schedule& s = row.schedule;
    if (role == ScheduleIdRole) {
        return QVariant::fromValue<quint64>(s.id);
    }
    if (role == Qt::TextAlignmentRole && index.column() == AmountColumn) {
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    }
    if (role == Qt::DisplayRole) {
        switch (index.column()) {
        case ArticleColumn:
            return row.article;
        case AmountColumn:
            return QString::number(s.what.amount);
        case RepeatColumn:
            return RepeatText(s.when);
        case NextColumn:
            return row.next ? DayText(*row.next) : QText(IDS_SCHEDULE_NO_NEXT);
        case ModeColumn:
            return QText(s.mode == ScheduleMode::Record ? IDS_MODE_RECORD : IDS_MODE_REMIND);
        default:
            return {};
        }
    }
    if (role == RawValueRole) {
        switch (index.column()) {
        case ArticleColumn:
            return QVariant::fromValue<quint64>(s.what.article);
        case AmountColumn:
            return s.what.amount;
        case RepeatColumn:
            return static_cast<int>(s.when.repeat);
        case NextColumn:
            return row.next ? QVariant(*row.next) : QVariant();
        case ModeColumn:
            return static_cast<int>(s.mode);
        default:
            return {};
        }
    }
    return {};
}

QVariant CSchedulesModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) {
        return {};
    }
    constexpr StringId kHeaders[] = {IDS_SCHEDULES_COL_ARTICLE, IDS_SCHEDULES_COL_AMOUNT,
                                     IDS_SCHEDULES_COL_REPEAT, IDS_SCHEDULES_COL_NEXT,
                                     IDS_SCHEDULES_COL_MODE};
    return section >= 0 && section < ColumnCount ? QText(kHeaders[section]) : QVariant();
}

int CSchedulesModel::RowOf(ItemId id) const {
    const auto at = std::find_if(m_rows.begin(), m_rows.end(),
                                 [id](const Row& row) { return row.schedule.id == id; });
    return at == m_rows.end() ? -1 : static_cast<int>(at - m_rows.begin());
}

void CSchedulesModel::Reload() {
    beginResetModel();
    m_rows.clear();
    for (const Schedule& s : m_doc.Schedules().Items()) {
        const std::u16string path = ArticlePathOf(m_doc, s);
        m_rows.push_back(
            {s, path.empty() ? QText(IDS_RULES_ARTICLE_GONE) : QStr(path), NextDay(s)});
    }
    endResetModel();
}

CDueModel::CDueModel(CVerdalonDoc& doc, QObject* parent)
    : QAbstractTableModel(parent), m_doc(doc) {}

int CDueModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_due.size());
}

int CDueModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant CDueModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid)) {
        return {};
    }
    const auto row = static_cast<std::size_t>(index.row());
    const Texts& t = m_texts[row];
    if (role == Qt::CheckStateRole && index.column() == DayColumn) {
        return m_checked[row] ? Qt::Checked : Qt::Unchecked;
    }
    if (role == Qt::TextAlignmentRole && index.column() == AmountColumn) {
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    }
    if (role == Qt::DisplayRole) {
        switch (index.column()) {
        case DayColumn:
            return DayText(m_due[row].day);
        case ArticleColumn:
            return t.article;
        case AmountColumn:
            return QString::number(t.amount);
        case AccountColumn:
            return t.account;
        case NoteColumn:
            return t.note;
        default:
            return {};
        }
    }
    if (role == RawValueRole) {
        switch (index.column()) {
        case DayColumn:
            return m_due[row].day;
        case ArticleColumn:
            return QVariant::fromValue<quint64>(t.articleId);
        case AmountColumn:
            return t.amount;
        case AccountColumn:
            return QVariant::fromValue<quint64>(t.accountId);
        case NoteColumn:
            return t.note;
        default:
            return {};
        }
    }
    return {};
}

QVariant CDueModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) {
        return {};
    }
    constexpr StringId kHeaders[] = {IDS_DUE_COL_DAY, IDS_SCHEDULES_COL_ARTICLE,
                                     IDS_SCHEDULES_COL_AMOUNT, IDS_SCHEDULE_ACCOUNT,
                                     IDS_SCHEDULE_NOTE};
    if (section < 0 || section >= ColumnCount) {
        return {};
    }
    QString text = QText(kHeaders[section]);
    if (text.endsWith(u':')) {
        text.chop(1);
    }
    return text;
}

Qt::ItemFlags CDueModel::flags(const QModelIndex& index) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid)) {
        return Qt::NoItemFlags;
    }
    const Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    return index.column() == DayColumn ? flags | Qt::ItemIsUserCheckable : flags;
}

bool CDueModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid) || role != Qt::CheckStateRole ||
        index.column() != DayColumn) {
        return false;
    }
    m_checked[static_cast<std::size_t>(index.row())] = value.value<Qt::CheckState>() == Qt::Checked;
    emit dataChanged(index, index, {Qt::CheckStateRole});
    return true;
}

std::vector<DueOccurrence> CDueModel::Checked() const {
    std::vector<DueOccurrence> out;
    for (std::size_t i = 0; i < m_due.size(); ++i) {
        if (m_checked[i]) {
            out.push_back(m_due[i]);
        }
    }
    return out;
}

void CDueModel::SetDue(std::vector<DueOccurrence> due) {
    // What the user unchecked stays unchecked while it is still due.
    std::vector<DueOccurrence> unchecked;
    for (std::size_t i = 0; i < m_due.size(); ++i) {
        if (!m_checked[i]) {
            unchecked.push_back(m_due[i]);
        }
    }
    beginResetModel();
    m_due = std::move(due);
    m_texts.clear();
    for (const DueOccurrence& d : m_due) {
        const Schedule& s = *m_doc.Schedules().Find(d.schedule);
        const CAccount* account = AccountOf(m_doc, s);
        m_texts.push_back({QStr(ArticlePathOf(m_doc, s)),
                           account != nullptr ? QStr(account->m_strName) : QString(),
                           QStr(s.what.note), s.what.amount, s.what.article, s.what.account});
    }
    m_checked.clear();
    for (const DueOccurrence& d : m_due) {
        m_checked.push_back(std::find(unchecked.begin(), unchecked.end(), d) == unchecked.end());
    }
    endResetModel();
}

} // namespace tamblero
