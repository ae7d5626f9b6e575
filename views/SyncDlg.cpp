#include "views/SyncDlg.h"

#include "dialogs/QtStrings.h"
#include "merge/Merge.h"
#include "resources/StringTable.h"

#include <QDialogButtonBox>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include <cstdlib>

namespace tamblero {

namespace {

// The Russian form a count takes, as the first of three ids: the one of "1 расход", then of
// "2 расхода", then of "5 расходов".
unsigned PluralId(unsigned firstId, int count) {
    const int n = std::abs(count) % 100;
    if (n % 10 == 1 && n != 11) {
        return firstId;
    }
    if (n % 10 >= 2 && n % 10 <= 4 && (n < 12 || n > 14)) {
        return firstId + 1;
    }
    return firstId + 2;
}

} // namespace

QString MergeSummary(const MergeReport& report) {
    QStringList parts;
    const auto counted = [&parts](unsigned firstId, int count) {
        if (count > 0) {
            parts << QText(PluralId(firstId, count)).arg(count);
        }
    };
    counted(IDS_SYNC_EXPENSES_1, report.newExpenses);
    counted(IDS_SYNC_MOVEMENTS_1, report.newMovements);
    counted(IDS_SYNC_ACCOUNTS_1, report.newAccounts);
    counted(IDS_SYNC_CATEGORIES_1, report.newGroups + report.newArticles);
    const int gone =
        report.goneNodes + report.goneAccounts + report.goneExpenses + report.goneMovements;
    const std::pair<unsigned, int> plain[] = {{IDS_SYNC_GONE, gone},
                                              {IDS_SYNC_CHANGED, report.changedFields},
                                              {IDS_SYNC_RESTORED, report.restoredNodes}};
    for (const auto& [id, count] : plain) {
        if (count > 0) {
            parts << QText(id).arg(count);
        }
    }
    if (report.changedMemory) {
        parts << QText(IDS_SYNC_IMPORT_MEMORY);
    }
    if (report.changedBudgets) {
        parts << QText(IDS_SYNC_BUDGETS);
    }
    if (report.changedSchedules) {
        parts << QText(IDS_SYNC_SCHEDULES);
    }
    return parts.isEmpty() ? QText(IDS_SYNC_NOTHING_NEW) : parts.join(QStringLiteral(", "));
}

QStringList ConflictLines(const MergeReport& report) {
    QStringList lines;
    for (const MergeReport::Conflict& conflict : report.conflicts) {
        lines << QText(IDS_SYNC_CONFLICT)
                     .arg(QStr(conflict.what), QStr(conflict.ours), QStr(conflict.theirs),
                          QStr(conflict.theirsWon ? conflict.theirs : conflict.ours));
    }
    return lines;
}

CSyncDlg::CSyncDlg(const std::deque<CSyncWatcher::Record>& records, QWidget* parent)
    : QDialog(parent), m_records(records), m_pText(new QPlainTextEdit(this)) {
    setWindowTitle(QText(IDS_SYNC_TITLE));
    m_pText->setReadOnly(true);
    m_pText->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    Refill();
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pText);
    layout->addWidget(buttons);
    resize(520, 320);
}

void CSyncDlg::Refill() {
    QStringList text;
    for (auto it = m_records.rbegin(); it != m_records.rend(); ++it) {
        text << it->heading;
        for (const QString& line : it->lines) {
            text << QStringLiteral("    ") + line;
        }
    }
    m_pText->setPlainText(m_records.empty() ? QText(IDS_SYNC_NONE_YET)
                                            : text.join(QLatin1Char('\n')));
}

QString CSyncDlg::Text() const {
    return m_pText->toPlainText();
}

} // namespace tamblero
