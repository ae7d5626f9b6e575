// "Синхронизация": what the last merges brought in and each conflict they decided, and the
// short account of one merge that the status bar shows.
#pragma once

#include "views/SyncWatcher.h"

#include <QDialog>

#include <deque>

class QPlainTextEdit;

namespace tamblero {

struct MergeReport;

// "+3 расхода, +1 перевод, удалено: 2"; "нового нет" when the merge changed nothing here.
[[nodiscard]] QString MergeSummary(const MergeReport& report);
// One line per field both copies changed: what, each value, the one kept.
[[nodiscard]] QStringList ConflictLines(const MergeReport& report);

class CSyncDlg final : public QDialog {
    Q_OBJECT
public:
    // The records newest first.
    CSyncDlg(const std::deque<CSyncWatcher::Record>& records, QWidget* parent);
    [[nodiscard]] QString Text() const;
    // Lists the records anew: one more merge came while the list is open.
    void Refill();

private:
    const std::deque<CSyncWatcher::Record>& m_records;
    QPlainTextEdit* m_pText;
};

} // namespace tamblero
