// One day's expenses across the whole tree; steps between days, undoes an entry, giving its
// amount back to the account that paid, and corrects one in the expense dialog.
#pragma once

#include "app/core/HistoryList.h"
#include "dialogs/DialogSupport.h"
#include "period/DayNumber.h"

#include <QDialog>

#include <vector>

class QDateEdit;
class QPushButton;
class QSettings;
class QTableWidget;

namespace tamblero {

class CMergeFollower;
class CVerdalonDoc;
class IPlatform;

class CHistoryDlg final : public QDialog {
    Q_OBJECT
public:
    // The settings, when given, keep the size the user gives the dialog.
    CHistoryDlg(CVerdalonDoc& doc, DayNumber day, IPlatform& platform, QWidget* parent = nullptr,
                QSettings* settings = nullptr);

    // How the expense dialog of "Изменить..." is run; modally unless replaced.
    void SetExpenseRunner(DialogRunner runner) { m_runExpense = std::move(runner); }

private:
    void Fill();
    void StepDay(int delta);
    void OnUndo();
    // "Изменить...": the selected row's entry in the expense dialog.
    void OnEdit();

    CVerdalonDoc& m_doc;
    IPlatform& m_platform;
    DayNumber m_day;
    QDateEdit* m_date;
    QTableWidget* m_list;
    QPushButton* m_edit;
    DialogRunner m_runExpense;
    // Row i of the list shows m_rows[i].
    std::vector<HistoryRow> m_rows;
    CMergeFollower* m_pFollower;
};

} // namespace tamblero
