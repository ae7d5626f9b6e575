// "Расходы": the entries behind one number of the grid, oldest first, with their total,
// and the undo of one of them as the history undoes it.
#pragma once

#include "period/DayNumber.h"

#include <QDialog>

class QLabel;
class QPushButton;
class QTableView;

namespace tamblero {

class CCategoryNode;
class CEntriesModel;
class CVerdalonDoc;
class IPlatform;

class CEntriesDlg final : public QDialog {
    Q_OBJECT
public:
    // The node's entries from first to last day, both included.
    CEntriesDlg(CVerdalonDoc& doc, CCategoryNode& node, DayNumber first, DayNumber last,
                IPlatform& platform, QWidget* parent = nullptr);

    [[nodiscard]] CEntriesModel& Model() const { return *m_pModel; }

private:
    void OnUndo();
    void ShowTotal();

    CEntriesModel* m_pModel;
    QTableView* m_list;
    QLabel* m_total;
    QPushButton* m_undo;
};

} // namespace tamblero
