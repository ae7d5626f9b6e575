// "Импорт выписки": a bank's statement looked over before it is recorded. The account is
// chosen once; a CSV's reading (encoding, delimiter, decimal separator, date form, columns) is
// shown and corrected, starting from the account's last one; each row is checked or not and given
// its article, which teaches a rule the other rows follow at once; "Импортировать" records the
// checked rows, and the rules the user kept, as one change.
#pragma once

#include "bankimport/CsvGuess.h"
#include "bankimport/StatementFile.h"
#include "bankimport/StatementImport.h"
#include "model/Identity.h"
#include "statement/Rules.h"

#include <QDialog>
#include <QString>

#include <filesystem>
#include <optional>
#include <unordered_map>
#include <vector>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QSettings;
class QTableView;

namespace tamblero {

class CExpenseArticle;
class CHelperProcess;
class CMergeFollower;
class CStatementModel;
class CVerdalonDoc;
class IPlatform;

class CStatementDlg final : public QDialog {
    Q_OBJECT
public:
    // settings, where given, keep the size the user gave the dialog.
    CStatementDlg(CVerdalonDoc& doc, IPlatform& platform, std::filesystem::path path,
                  QWidget* parent = nullptr, QSettings* settings = nullptr);

    // Why the statement cannot be looked over at all, for a message instead of the dialog;
    // empty where it can. A CSV read wrongly opens, so that its reading can be corrected.
    // An OFX statement is read by the helper while the dialog is open: its refusal is told
    // when it comes, and closes the dialog.
    [[nodiscard]] const QString& Refusal() const { return m_refusal; }
    // Whether the helper is still reading the statement (the rows are yet to come).
    [[nodiscard]] bool Reading() const { return m_pReading != nullptr; }
    [[nodiscard]] CStatementModel& Model() const { return *m_pModel; }

    // What the user does, for the keys and the mouse and for the tests: gives the rows an
    // article (null: none), which offers the rule it teaches.
    void ChooseArticle(const std::vector<int>& rows, CExpenseArticle* article);
    // Sends the outgoing rows left without an article to this one; null: leaves them.
    void SendRestTo(CExpenseArticle* article);
    // "Импортировать": true where the rows were recorded and the dialog closes.
    bool Import();

    // Closing stops the helper's reading: a result that comes after it is never shown.
    void done(int result) override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildCsvRow(QGroupBox& box);
    void FillArticles();
    // The statement read again with the settings shown.
    void ReadStatement();
    // The helper started on the OFX statement's bytes; its rows shown when they come.
    void ReadOfxStatement(std::vector<std::uint8_t> bytes);
    void StopReading();
    void ShowStatement(StatementFile file);
    // The columns fitted to the first rows, the first selected.
    void ShowFirstRows();
    void ShowCsvSettings();
    // The account chosen: a CSV the user has not corrected is read as that account's last one.
    void OnAccountChosen();
    // The rows planned again for the account chosen.
    void Replan();
    // The user's choices and the rules taught laid over the plan, and shown.
    void Apply();
    void UpdateSummary();
    void FollowMerge();
    void OnArticleTyped();
    void ToggleSelected();
    [[nodiscard]] CAccount* ChosenAccount() const;
    [[nodiscard]] CExpenseArticle* ArticleOf(ItemId id) const;
    [[nodiscard]] std::vector<StatementRule> RulesKept() const;
    [[nodiscard]] std::vector<int> SelectedRows() const;

    CVerdalonDoc& m_doc;
    IPlatform& m_platform;
    std::filesystem::path m_path;
    QString m_refusal;
    StatementFileRequest m_request;
    StatementFormat m_format = StatementFormat::Qif;
    bool m_mappingGuessed = false;
    // Where the CSV's reading started: the account's last one or a guess; a correction the
    // user made keeps it as it is when another account is chosen.
    CsvStart m_csvStart = CsvStart::Guessed;
    bool m_csvCorrected = false;
    std::optional<CsvSettings> m_csvRead; // as the rows shown were read
    std::vector<StatementRow> m_rows;
    ImportPlan m_base; // as PlanImport gives it
    // What the user chose, by row: an article's lasting id (kNoId: none), a check.
    std::unordered_map<std::size_t, ItemId> m_chosen;
    std::unordered_map<std::size_t, bool> m_checks;
    std::vector<StatementRule> m_learnt; // rules kept, the one offered aside
    std::optional<StatementRule> m_offered;
    ItemId m_restId = kNoId;
    std::vector<ItemId> m_articleIds; // the articles' combo items, after the empty one

    CStatementModel* m_pModel;
    QComboBox* m_account;
    QGroupBox* m_csvBox;
    QComboBox* m_encoding = nullptr;
    QComboBox* m_delimiter = nullptr;
    QComboBox* m_decimal = nullptr;
    QComboBox* m_dateForm = nullptr;
    std::vector<QComboBox*> m_columns; // date, amount, debit, credit, description, id
    QLabel* m_csvNote;
    QTableView* m_table;
    QComboBox* m_article;
    QCheckBox* m_remember;
    QCheckBox* m_rest;
    QComboBox* m_restArticle;
    QLabel* m_totals;
    QLabel* m_noArticle;
    QPushButton* m_import;
    CMergeFollower* m_pFollower;
    CHelperProcess* m_pReading = nullptr;
    unsigned m_readings = 0; // which reading a result belongs to
};

} // namespace tamblero
