// "Регулярные расходы...": the scheduled expenses, to add, change and delete them through a
// form; each change is one command on the document's undo stack, so Ctrl+Z here takes it back.
// And the list of what is due, to record all, record the checked ones or skip them.
#pragma once

#include "dialogs/DialogSupport.h"
#include "schedule/Schedule.h"

#include <QDialog>

#include <vector>

class QComboBox;
class QDateEdit;
class QLineEdit;
class QPushButton;
class QSettings;
class QSpinBox;
class QTableView;

namespace tamblero {

class CDueModel;
class CMergeFollower;
class CSchedulesModel;
class CVerdalonDoc;
class IPlatform;

// The form of one schedule: what it records, when, and how.
class CScheduleEditDlg final : public QDialog {
    Q_OBJECT
public:
    // A schedule of no id: a new one, its first day today.
    CScheduleEditDlg(const CVerdalonDoc& doc, IPlatform& platform, const Schedule& schedule,
                     QWidget* parent = nullptr);

    [[nodiscard]] ScheduleWhat What() const;
    [[nodiscard]] ScheduleWhen When() const;
    [[nodiscard]] ScheduleMode Mode() const;

    void accept() override;

private:
    void UpdateFields();
    [[nodiscard]] ItemId Article() const;

    IPlatform& m_platform;
    QComboBox* m_article;
    QLineEdit* m_amount;
    QComboBox* m_account;
    QLineEdit* m_note;
    QDateEdit* m_first;
    QComboBox* m_repeat;
    QSpinBox* m_every;
    QComboBox* m_weekend;
    QComboBox* m_end;
    QDateEdit* m_lastDay;
    QSpinBox* m_count;
    QComboBox* m_mode;
    QPushButton* m_ok = nullptr;
    std::vector<ItemId> m_articleIds; // item i of the article's box
};

class CSchedulesDlg final : public QDialog {
    Q_OBJECT
public:
    // The settings, when given, keep the size the user gives the dialog.
    CSchedulesDlg(CVerdalonDoc& doc, IPlatform& platform, QWidget* parent = nullptr,
                  QSettings* settings = nullptr);

    [[nodiscard]] CSchedulesModel& Model() const { return *m_pModel; }
    // How the form is run; modally unless replaced.
    void SetEditRunner(DialogRunner runner) { m_runEdit = std::move(runner); }

private:
    void Reload(ItemId select, int fallbackRow);
    [[nodiscard]] int Row() const;
    void UpdateButtons();
    void OnAdd();
    void OnEdit();
    void OnDelete();
    void OnUndo(bool undo);

    CVerdalonDoc& m_doc;
    IPlatform& m_platform;
    CSchedulesModel* m_pModel;
    QTableView* m_table;
    QPushButton* m_add;
    QPushButton* m_edit;
    QPushButton* m_delete;
    DialogRunner m_runEdit;
    CMergeFollower* m_pFollower;
};

// What is due, each checked: "Записать все", "Записать отмеченные", "Пропустить отмеченные" or
// "Позже". It closes once nothing is left; what it left is asked again at the next start or
// midnight.
class CDueDlg final : public QDialog {
    Q_OBJECT
public:
    CDueDlg(CVerdalonDoc& doc, IPlatform& platform, std::vector<DueOccurrence> due,
            QWidget* parent = nullptr, QSettings* settings = nullptr);

    [[nodiscard]] CDueModel& Model() const { return *m_pModel; }
    // How many were recorded here.
    [[nodiscard]] int RecordedCount() const { return m_nRecorded; }

    void RecordAll();
    void RecordChecked();
    void SkipChecked();

private:
    void Record(const std::vector<DueOccurrence>& which);
    // What is still due of what the dialog showed, or closes when nothing is.
    void Refresh();

    CVerdalonDoc& m_doc;
    IPlatform& m_platform;
    CDueModel* m_pModel;
    QTableView* m_table;
    DayNumber m_upTo;
    int m_nRecorded = 0;
    CMergeFollower* m_pFollower;
};

} // namespace tamblero
