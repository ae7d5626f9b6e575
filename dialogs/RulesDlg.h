// "Правила...": the import rules in their order, to edit, reorder and delete them. Each change is
// one command on the document's undo stack, so Ctrl+Z here takes it back.
#pragma once

#include "dialogs/DialogSupport.h"
#include "model/Identity.h"
#include "model/Money.h"

#include <QDialog>

#include <optional>
#include <vector>

class QComboBox;
class QLineEdit;
class QPushButton;
class QSettings;
class QTableView;

namespace tamblero {

class CMergeFollower;
class CRulesModel;
class CVerdalonDoc;
struct StatementRule;

// The form of one rule: its words as text, its article from the tree's, its range.
class CRuleEditDlg final : public QDialog {
    Q_OBJECT
public:
    CRuleEditDlg(const CVerdalonDoc& doc, const StatementRule& rule, QWidget* parent = nullptr);

    [[nodiscard]] QString WordsText() const;
    // The chosen article's lasting id, or kNoId.
    [[nodiscard]] ItemId Article() const;
    [[nodiscard]] std::optional<Amount> Least() const;
    [[nodiscard]] std::optional<Amount> Most() const;

private:
    void UpdateOk();

    QLineEdit* m_words;
    QComboBox* m_article;
    QLineEdit* m_least;
    QLineEdit* m_most;
    QPushButton* m_ok;
    std::vector<ItemId> m_articleIds; // item i of the article's box
};

class CRulesDlg final : public QDialog {
    Q_OBJECT
public:
    // The settings, when given, keep the size the user gives the dialog.
    explicit CRulesDlg(CVerdalonDoc& doc, QWidget* parent = nullptr, QSettings* settings = nullptr);

    [[nodiscard]] CRulesModel& Model() const { return *m_pModel; }
    // How the form of "Изменить..." is run; modally unless replaced.
    void SetEditRunner(DialogRunner runner) { m_runEdit = std::move(runner); }

private:
    // Shows the rules anew, the rule of that id selected where it is still there, else the row.
    void Reload(ItemId select, int fallbackRow);
    [[nodiscard]] int Row() const;
    void UpdateButtons();
    void OnEdit();
    void OnMove(int delta);
    void OnDelete();
    void OnUndo(bool undo);

    CVerdalonDoc& m_doc;
    CRulesModel* m_pModel;
    QTableView* m_table;
    QPushButton* m_edit;
    QPushButton* m_up;
    QPushButton* m_down;
    QPushButton* m_delete;
    DialogRunner m_runEdit;
    CMergeFollower* m_pFollower;
};

} // namespace tamblero
