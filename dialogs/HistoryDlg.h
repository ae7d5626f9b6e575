// One day's expenses across the whole tree; steps between days and undoes an entry,
// giving its amount back to the account that paid.
#pragma once

#include "app/core/HistoryList.h"
#include "period/DayNumber.h"

#include <QDialog>

#include <vector>

class QDateEdit;
class QSettings;
class QTableWidget;

namespace tamblero {

class CVerdalonDoc;
class IPlatform;

class CHistoryDlg final : public QDialog {
    Q_OBJECT
public:
    // The settings, when given, keep the size the user gives the dialog.
    CHistoryDlg(CVerdalonDoc& doc, DayNumber day, IPlatform& platform, QWidget* parent = nullptr,
                QSettings* settings = nullptr);

private:
    void Fill();
    void StepDay(int delta);
    void OnUndo();

    CVerdalonDoc& m_doc;
    DayNumber m_day;
    QDateEdit* m_date;
    QTableWidget* m_list;
    // Row i of the list shows m_rows[i].
    std::vector<HistoryRow> m_rows;
};

} // namespace tamblero
