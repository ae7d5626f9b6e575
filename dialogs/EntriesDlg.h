// "Расходы": the entries behind one number of the grid, or every entry whose note holds a
// text, oldest first, with their total; the undo of one of them as the history undoes it,
// its correction in the expense dialog, and its note edited in place.
#pragma once

#include "dialogs/DialogSupport.h"
#include "period/DayNumber.h"

#include <QDialog>

#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;

namespace tamblero {

class CCategoryNode;
class CExpenseArticle;
class CEntriesModel;
class CMergeFollower;
class CVerdalonDoc;
class IPlatform;

class CEntriesDlg final : public QDialog {
    Q_OBJECT
public:
    // The node's entries from first to last day, both included.
    CEntriesDlg(CVerdalonDoc& doc, CCategoryNode& node, DayNumber first, DayNumber last,
                IPlatform& platform, QWidget* parent = nullptr);
    // "Найти расходы": a field for the text, and the entries whose note holds it; Enter on a
    // row closes the window and shows the row's article.
    CEntriesDlg(CVerdalonDoc& doc, IPlatform& platform,
                std::function<void(CExpenseArticle&)> showArticle, QWidget* parent = nullptr);

    [[nodiscard]] CEntriesModel& Model() const { return *m_pModel; }
    // How the expense dialog of "Изменить..." is run; modally unless replaced.
    void SetExpenseRunner(DialogRunner runner) { m_runExpense = std::move(runner); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void SetUp(QWidget& top);
    void OnUndo();
    // "Изменить...": the selected row's entry in the expense dialog.
    void OnEdit();
    void ShowTotal();
    // After a merge: the rows anew, or, where the merge deleted the node, a word and the end.
    void FollowMerge();

    CVerdalonDoc& m_doc;
    IPlatform& m_platform;
    CEntriesModel* m_pModel;
    std::function<void(CExpenseArticle&)> m_showArticle; // of a window that finds
    QLineEdit* m_find = nullptr;
    QLabel* m_heading = nullptr; // of a node's entries
    DayNumber m_first = 0;
    DayNumber m_last = 0;
    QTableView* m_list;
    QLabel* m_total;
    QPushButton* m_undo;
    QPushButton* m_edit;
    DialogRunner m_runExpense;
    CMergeFollower* m_pFollower = nullptr;
};

} // namespace tamblero
