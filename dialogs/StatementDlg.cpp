#include "dialogs/StatementDlg.h"

#include "app/core/EntryListing.h"
#include "bankimport/CsvGuess.h"
#include "bankimport/OfxStatement.h"
#include "dialogs/DialogSupport.h"
#include "dialogs/HelperProcess.h"
#include "dialogs/MergeFollower.h"
#include "dialogs/StatementModel.h"
#include "model/Account.h"
#include "model/CategoryNode.h"
#include "resources/StringTable.h"
#include "statement/Rules.h"
#include "storage/FileIO.h"
#include "storage/VerdalonDoc.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>

namespace tamblero {

namespace {

constexpr char16_t kDelimiters[] = {u',', u';', u'\t'};
constexpr char16_t kDecimals[] = {u',', u'.'};

// A combo of the texts of one string-table entry, split at "|".
QComboBox* ChoiceBox(QWidget* parent, unsigned texts) {
    auto* box = new QComboBox(parent);
    box->addItems(QText(texts).split(u'|'));
    return box;
}

QString FileName(const std::filesystem::path& path) {
    return QFile::decodeName(QByteArray::fromStdString(path.filename().string()));
}

} // namespace

CStatementDlg::CStatementDlg(CVerdalonDoc& doc, IPlatform& platform, std::filesystem::path path,
                             QWidget* parent, QSettings* settings)
    : QDialog(parent), m_doc(doc), m_platform(platform), m_path(std::move(path)),
      m_pModel(new CStatementModel(platform, this)), m_account(new QComboBox(this)),
      m_csvBox(new QGroupBox(QText(IDS_STATEMENT_CSV), this)), m_csvNote(new QLabel(this)),
      m_table(new QTableView(this)), m_article(new QComboBox(this)),
      m_remember(new QCheckBox(this)), m_rest(new QCheckBox(QText(IDS_STATEMENT_REST_TO), this)),
      m_restArticle(new QComboBox(this)), m_totals(new QLabel(this)), m_noArticle(new QLabel(this)),
      m_import(new QPushButton(QText(IDS_STATEMENT_IMPORT), this)),
      m_pFollower(new CMergeFollower(doc, *this, [this] { FollowMerge(); })) {
    setWindowTitle(QText(IDS_STATEMENT_TITLE));
    m_account->setObjectName(QStringLiteral("account"));
    m_table->setObjectName(QStringLiteral("rows"));
    m_article->setObjectName(QStringLiteral("article"));
    m_remember->setObjectName(QStringLiteral("remember"));
    m_rest->setObjectName(QStringLiteral("rest"));
    m_restArticle->setObjectName(QStringLiteral("restArticle"));
    m_totals->setObjectName(QStringLiteral("totals"));
    m_csvNote->setObjectName(QStringLiteral("csvNote"));
    m_noArticle->setObjectName(QStringLiteral("noArticle"));
    m_import->setObjectName(QStringLiteral("import"));

    auto* layout = new QVBoxLayout(this);
    auto* top = new QFormLayout;
    top->addRow(QText(IDS_STATEMENT_ACCOUNT), m_account);
    layout->addLayout(top);
    BuildCsvRow(*m_csvBox);
    layout->addWidget(m_csvBox);

    m_table->setModel(m_pModel);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->verticalHeader()->hide();
    m_table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_table->setWordWrap(false);
    m_table->setTabKeyNavigation(false); // Tab goes on to the article's field
    layout->addWidget(m_table, 1);

    // The article of the selected rows: any path of the tree, found by any part typed.
    FindByAnyPart(*m_article);
    auto* articleRow = new QFormLayout;
    articleRow->addRow(QText(IDS_STATEMENT_COL_ARTICLE), m_article);
    layout->addLayout(articleRow);
    m_remember->setVisible(false);
    layout->addWidget(m_remember);
    auto* restRow = new QHBoxLayout;
    restRow->addWidget(m_rest);
    restRow->addWidget(m_restArticle, 1);
    layout->addLayout(restRow);
    layout->addWidget(m_totals);

    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(m_import, QDialogButtonBox::AcceptRole);
    buttons->addButton(QDialogButtonBox::Cancel);
    m_import->setDefault(true);
    auto* bottom = new QHBoxLayout;
    m_noArticle->setWordWrap(true);
    bottom->addWidget(m_noArticle, 1);
    bottom->addWidget(buttons);
    layout->addLayout(bottom);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    // Tab walks the dialog from the top down: the account, the CSV's reading, the rows, what
    // the rows get, the buttons.
    std::vector<QWidget*> order{m_account, m_encoding, m_delimiter, m_decimal, m_dateForm};
    order.insert(order.end(), m_columns.begin(), m_columns.end());
    order.insert(order.end(), {m_table, m_article, m_remember, m_rest, m_restArticle, m_import,
                               buttons->button(QDialogButtonBox::Cancel)});
    for (std::size_t i = 1; i < order.size(); ++i) {
        setTabOrder(order[i - 1], order[i]);
    }
    connect(m_import, &QPushButton::clicked, this, [this] { Import(); });

    // Space checks or unchecks the selected rows, whichever cell of them has the focus.
    m_table->installEventFilter(this);
    connect(m_pModel, &CStatementModel::checkToggled, this, [this](int row, bool checked) {
        m_checks[static_cast<std::size_t>(row)] = checked;
        UpdateSummary();
    });
    connect(m_table->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                if (!current.isValid()) {
                    return;
                }
                const QSignalBlocker quiet(m_article);
                const CExpenseArticle* article = m_pModel->Row(current.row()).article;
                const auto at = article != nullptr ? std::find(m_articleIds.begin(),
                                                               m_articleIds.end(), article->m_nId)
                                                   : m_articleIds.end();
                m_article->setCurrentIndex(
                    at == m_articleIds.end() ? 0 : static_cast<int>(at - m_articleIds.begin()) + 1);
            });
    connect(m_table, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& index) {
        if (index.column() == CStatementModel::ArticleColumn) {
            m_article->setFocus();
            m_article->lineEdit()->selectAll();
        }
    });
    connect(m_article, &QComboBox::activated, this, [this] { OnArticleTyped(); });
    connect(m_remember, &QCheckBox::toggled, this, [this] { Apply(); });
    connect(m_rest, &QCheckBox::toggled, this, [this](bool on) {
        m_restArticle->setEnabled(on);
        const int index = m_restArticle->currentIndex();
        SendRestTo(on && index > 0 ? ArticleOf(m_articleIds[static_cast<std::size_t>(index - 1)])
                                   : nullptr);
    });
    connect(m_restArticle, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (m_rest->isChecked()) {
            SendRestTo(index > 0 ? ArticleOf(m_articleIds[static_cast<std::size_t>(index - 1)])
                                 : nullptr);
        }
    });
    m_restArticle->setEnabled(false);

    if (m_doc.Accounts().GetNameableCount() == 0) {
        m_refusal = QText(IDS_STATEMENT_NO_ACCOUNTS);
        return;
    }
    FillAccounts(*m_account, m_doc.Accounts());
    connect(m_account, &QComboBox::currentIndexChanged, this, [this] { OnAccountChosen(); });
    FillArticles();
    ReadStatement();
    if (!m_refusal.isEmpty()) {
        return;
    }
    if (!Reading()) {
        ShowFirstRows();
    }
    m_table->setFocus();
    RestoreSize(*this, settings, QStringLiteral("statement"), QSize(900, 600));
}

void CStatementDlg::ShowFirstRows() {
    m_table->resizeColumnsToContents();
    if (m_pModel->rowCount() > 0) {
        m_table->setCurrentIndex(m_pModel->index(0, CStatementModel::DescriptionColumn));
    }
}

void CStatementDlg::BuildCsvRow(QGroupBox& box) {
    auto* grid = new QGridLayout(&box);
    m_encoding = ChoiceBox(&box, IDS_STATEMENT_ENCODINGS);
    m_delimiter = ChoiceBox(&box, IDS_STATEMENT_DELIMITERS);
    m_decimal = ChoiceBox(&box, IDS_STATEMENT_DECIMALS);
    m_dateForm = ChoiceBox(&box, IDS_STATEMENT_DATE_FORMS);
    const std::pair<unsigned, QComboBox*> settings[] = {{IDS_STATEMENT_ENCODING, m_encoding},
                                                        {IDS_STATEMENT_DELIMITER, m_delimiter},
                                                        {IDS_STATEMENT_DECIMAL, m_decimal},
                                                        {IDS_STATEMENT_DATE_FORM, m_dateForm}};
    int column = 0;
    for (const auto& [label, combo] : settings) {
        grid->addWidget(new QLabel(QText(label), &box), 0, column);
        grid->addWidget(combo, 1, column++);
    }
    const unsigned mapping[] = {IDS_STATEMENT_MAP_DATE,        IDS_STATEMENT_MAP_AMOUNT,
                                IDS_STATEMENT_MAP_DEBIT,       IDS_STATEMENT_MAP_CREDIT,
                                IDS_STATEMENT_MAP_DESCRIPTION, IDS_STATEMENT_MAP_ID};
    column = 0;
    for (const unsigned label : mapping) {
        auto* combo = new QComboBox(&box);
        combo->setObjectName(QStringLiteral("column%1").arg(column));
        grid->addWidget(new QLabel(QText(label), &box), 2, column);
        grid->addWidget(combo, 3, column++);
        m_columns.push_back(combo);
    }
    m_csvNote->setWordWrap(true);
    grid->addWidget(m_csvNote, 4, 0, 1, column);
    for (QComboBox* combo : {m_encoding, m_delimiter, m_decimal, m_dateForm}) {
        connect(combo, &QComboBox::activated, this, [this, combo](int index) {
            if (combo == m_encoding) {
                m_request.csv.encoding = static_cast<TextEncoding>(index);
            } else if (combo == m_delimiter) {
                m_request.csv.delimiter = kDelimiters[index];
            } else if (combo == m_decimal) {
                m_request.csv.decimal = kDecimals[index];
            } else {
                m_request.csv.dateForm = static_cast<DateForm>(index);
            }
            m_csvCorrected = true;
            ReadStatement();
        });
    }
    for (QComboBox* combo : m_columns) {
        connect(combo, &QComboBox::activated, this, [this] {
            int* const fields[] = {&m_request.mapping.date,        &m_request.mapping.amount,
                                   &m_request.mapping.debit,       &m_request.mapping.credit,
                                   &m_request.mapping.description, &m_request.mapping.id};
            for (std::size_t i = 0; i < m_columns.size(); ++i) {
                *fields[i] = m_columns[i]->currentIndex() - 1;
            }
            m_csvCorrected = true;
            ReadStatement();
        });
    }
}

void CStatementDlg::FillArticles() {
    m_articleIds.clear();
    QStringList paths{QString()};
    m_doc.GetRoot()->ForEachArticleBelow([&](const CExpenseArticle& article) {
        m_articleIds.push_back(article.m_nId);
        paths.push_back(QStr(CategoryPath(article)));
    });
    for (QComboBox* box : {m_article, m_restArticle}) {
        const QSignalBlocker quiet(box);
        const QString kept = box->currentText();
        box->clear();
        box->addItems(paths);
        box->setCurrentIndex(std::max(0, box->findText(kept)));
    }
}

CAccount* CStatementDlg::ChosenAccount() const {
    const int index = m_doc.Accounts().IndexOfId(m_account->currentData().value<quint64>());
    return index >= 0 ? m_doc.Accounts().GetAt(index) : nullptr;
}

CExpenseArticle* CStatementDlg::ArticleOf(ItemId id) const {
    CCategoryNode* node = id != kNoId ? NodeWithId(m_doc, id) : nullptr;
    return node != nullptr ? node->AsArticle() : nullptr;
}

void CStatementDlg::ReadStatement() {
    if (m_format == StatementFormat::Csv && !m_mappingGuessed) {
        // A CSV names its columns nowhere: the account's last reading where it fits, else a
        // first guess, for the user to correct; once, so that a mapping the user is still
        // putting right stays as it is.
        m_mappingGuessed = true;
        std::vector<std::uint8_t> bytes;
        Reason error;
        if (ReadFileBytes(m_path, bytes, error, ReadLimit{kMaxStatementBytes, {}}) ==
            FileRead::Done) {
            const CAccount* account = ChosenAccount();
            CsvStartPoint start = StartCsv(
                std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()),
                account != nullptr ? m_doc.StatementMemory().CsvOf(account->m_nId) : nullptr,
                m_request.csv);
            m_request.mapping = start.mapping;
            m_request.csv = start.options;
            m_csvStart = start.start;
        }
    }
    StopReading();
    StatementFile file;
    std::vector<std::uint8_t> bytes;
    if (ReadStatementBytes(m_path, m_request, file, bytes)) {
        if (file.format == StatementFormat::Ofx) {
            ReadOfxStatement(std::move(bytes));
            return;
        }
        ReadStatementRows(
            m_path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()),
            m_request, &m_platform, file);
    }
    ShowStatement(std::move(file));
}

void CStatementDlg::ReadOfxStatement(std::vector<std::uint8_t> bytes) {
    m_format = StatementFormat::Ofx;
    m_csvBox->setVisible(false);
    const std::filesystem::path helper = OfxHelperPath(m_platform);
    if (std::optional<StatementRead> missing = OfxHelperMissing(m_platform, helper)) {
        StatementFile file;
        file.format = StatementFormat::Ofx;
        file.read = std::move(*missing);
        ShowStatement(std::move(file));
        return;
    }
    const unsigned reading = ++m_readings;
    m_pReading = new CHelperProcess(
        helper, {m_path.string()}, HelperLimits{},
        [this, reading, bytes = std::move(bytes)](HelperRun run) {
            if (reading != m_readings || m_pReading == nullptr) {
                return; // a reading since given up
            }
            m_pReading->deleteLater();
            m_pReading = nullptr;
            StatementFile file;
            file.format = StatementFormat::Ofx;
            file.read = ReadOfxHelperRun(
                run, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
            ShowStatement(std::move(file));
            if (!m_refusal.isEmpty()) {
                m_platform.MessageBox(U16(m_refusal), kCaptionError, MsgButtons::Ok,
                                      MsgIcon::Error);
                reject();
            }
        },
        this);
    // Meanwhile the rows are empty, the import waits and the note says why.
    m_rows.clear();
    m_chosen.clear();
    m_checks.clear();
    Replan();
}

void CStatementDlg::StopReading() {
    ++m_readings;
    delete m_pReading; // kills the helper
    m_pReading = nullptr;
}

void CStatementDlg::done(int result) {
    StopReading();
    QDialog::done(result);
}

void CStatementDlg::ShowStatement(StatementFile file) {
    m_format = file.format;
    if (!file.fileError.english.empty()) {
        m_refusal =
            QText(IDS_STATEMENT_REFUSED).arg(FileName(m_path), QStr(ReasonText(file.fileError)));
        return;
    }
    if (file.format == StatementFormat::Csv && m_request.format != StatementFormat::Csv) {
        m_request.format = StatementFormat::Csv; // read once more with a guessed mapping
        ReadStatement();
        return;
    }
    const bool csv = file.format == StatementFormat::Csv;
    m_csvBox->setVisible(csv);
    if (!file.read.Ok() && !csv) {
        m_refusal =
            QText(IDS_STATEMENT_REFUSED).arg(FileName(m_path), QStr(file.read.error->Message()));
        return;
    }
    if (csv) {
        if (file.csv) {
            const CsvSettings& s = *file.csv;
            m_encoding->setCurrentIndex(static_cast<int>(s.encoding));
            m_delimiter->setCurrentIndex(static_cast<int>(
                std::find(std::begin(kDelimiters), std::end(kDelimiters), s.delimiter) -
                std::begin(kDelimiters)));
            m_decimal->setCurrentIndex(s.decimal == u'.' ? 1 : 0);
            m_dateForm->setCurrentIndex(static_cast<int>(s.dateForm));
        }
        ShowCsvSettings();
        QStringList notes;
        if (m_csvStart != CsvStart::Guessed && !m_csvCorrected) {
            notes.push_back(QText(m_csvStart == CsvStart::Remembered ? IDS_STATEMENT_CSV_REMEMBERED
                                                                     : IDS_STATEMENT_CSV_MISFIT)
                                .arg(m_account->currentText()));
        }
        if (!file.read.Ok()) {
            notes.push_back(QStr(file.read.error->Message()));
        } else if (file.dateFormGuessed) {
            notes.push_back(QText(IDS_STATEMENT_DATE_GUESSED));
        }
        m_csvNote->setText(notes.join(u' '));
        m_csvRead = file.csv;
    }
    // The user's choices stay while the rows read the same (another account's reading).
    const bool newRows = file.read.rows != m_rows;
    if (newRows) {
        m_chosen.clear();
        m_checks.clear();
    }
    m_rows = std::move(file.read.rows);
    Replan();
    // Rows that came with a corrected reading are seen whole, as the first ones are.
    if (newRows && !m_rows.empty()) {
        ShowFirstRows();
    }
}

void CStatementDlg::ShowCsvSettings() {
    // As many columns as the guess or the reading could name, and a few beyond.
    const CsvMapping& m = m_request.mapping;
    const int chosen[] = {m.date, m.amount, m.debit, m.credit, m.description, m.id};
    const int columns = std::max({8, m.date, m.amount, m.debit, m.credit, m.description, m.id}) + 1;
    for (std::size_t i = 0; i < m_columns.size(); ++i) {
        QComboBox* box = m_columns[i];
        const QSignalBlocker quiet(box);
        if (box->count() != columns + 1) {
            box->clear();
            box->addItem(QText(IDS_STATEMENT_COLUMN_NONE));
            for (int c = 1; c <= columns; ++c) {
                box->addItem(QText(IDS_STATEMENT_COLUMN).arg(c));
            }
        }
        box->setCurrentIndex(chosen[i] + 1);
    }
}

void CStatementDlg::OnAccountChosen() {
    if (m_format == StatementFormat::Csv && !m_csvCorrected) {
        m_mappingGuessed = false;
        m_request.csv = {};
        ReadStatement();
        return;
    }
    Replan();
}

void CStatementDlg::Replan() {
    CAccount* account = ChosenAccount();
    m_base = account != nullptr ? PlanImport(m_doc, *account, m_rows) : ImportPlan{};
    Apply();
}

std::vector<StatementRule> CStatementDlg::RulesKept() const {
    std::vector<StatementRule> rules = m_learnt;
    if (m_offered && m_remember->isChecked()) {
        rules.push_back(*m_offered);
    }
    return rules;
}

void CStatementDlg::Apply() {
    ImportPlan plan = m_base;
    CRuleList taught;
    for (StatementRule& rule : RulesKept()) {
        taught.Add(std::move(rule));
    }
    CExpenseArticle* rest = m_rest->isChecked() ? ArticleOf(m_restId) : nullptr;
    for (std::size_t i = 0; i < plan.rows.size(); ++i) {
        ImportRow& r = plan.rows[i];
        if (r.IsDeposit()) {
            continue;
        }
        if (const auto chosen = m_chosen.find(i); chosen != m_chosen.end()) {
            r.article = ArticleOf(chosen->second);
        } else if (CExpenseArticle* ruled = ArticleOf(taught.Match(r.row.description, r.amount))) {
            r.article = ruled;
        }
        if (r.article == nullptr && rest != nullptr) {
            r.article = rest;
            r.byFallback = true;
        }
        if (const auto check = m_checks.find(i); check != m_checks.end() && r.amount != 0) {
            r.checked = check->second;
        }
    }
    m_pModel->SetPlan(std::move(plan));
    // An article chosen widens its column to be read, never narrows what the user widened.
    const int articles = CStatementModel::ArticleColumn;
    const QAbstractItemView& view = *m_table; // its size hints are public there
    m_table->setColumnWidth(
        articles, std::max(m_table->columnWidth(articles), view.sizeHintForColumn(articles)));
    UpdateSummary();
}

void CStatementDlg::UpdateSummary() {
    const ImportPlan& plan = m_pModel->Plan();
    std::int64_t exact = 0;
    std::int64_t rounded = 0;
    for (const ImportRow& r : plan.rows) {
        exact += r.row.hundredths;
        rounded += r.amount;
    }
    const std::size_t added = plan.CheckedCount();
    m_totals->setText(QText(IDS_STATEMENT_TOTALS)
                          .arg(ExactAmountText(exact), QString::number(rounded),
                               QString::number(added), QString::number(plan.rows.size() - added)));
    const std::size_t without = plan.LinesWithoutArticle().size();
    m_noArticle->setText(Reading()     ? QText(IDS_STATEMENT_READING).arg(FileName(m_path))
                         : without > 0 ? QText(IDS_STATEMENT_NO_ARTICLE).arg(without)
                                       : QString());
    m_import->setEnabled(!Reading() && added > 0 && without == 0);
}

std::vector<int> CStatementDlg::SelectedRows() const {
    std::vector<int> rows;
    for (const QModelIndex& index : m_table->selectionModel()->selectedRows()) {
        rows.push_back(index.row());
    }
    if (rows.empty() && m_table->currentIndex().isValid()) {
        rows.push_back(m_table->currentIndex().row());
    }
    std::sort(rows.begin(), rows.end());
    return rows;
}

void CStatementDlg::ChooseArticle(const std::vector<int>& rows, CExpenseArticle* article) {
    const ItemId id = article != nullptr ? article->m_nId : kNoId;
    for (const int row : rows) {
        if (row >= 0 && static_cast<std::size_t>(row) < m_base.rows.size() &&
            !m_base.rows[static_cast<std::size_t>(row)].IsDeposit()) {
            m_chosen[static_cast<std::size_t>(row)] = id;
        }
    }
    // The rule the choice teaches, beside those already taught: of the first outgoing row.
    const auto first = std::find_if(rows.begin(), rows.end(), [this](int row) {
        return m_chosen.contains(static_cast<std::size_t>(row));
    });
    if (article != nullptr && first != rows.end()) {
        const ImportRow& r = m_base.rows[static_cast<std::size_t>(*first)];
        CRuleList known = m_doc.StatementMemory().Rules();
        for (StatementRule& rule : RulesKept()) {
            known.Add(std::move(rule));
        }
        const CRuleArticles articles(*m_doc.GetRoot(), m_doc.Ids());
        if (std::optional<StatementRule> rule =
                known.Proposal(r.row.description, r.amount, id, &articles)) {
            if (m_offered && m_remember->isChecked()) {
                m_learnt.push_back(*m_offered);
            }
            // An article chosen again for the same words corrects the rule they taught, rather
            // than teaching a second one that the first would shadow.
            std::erase_if(m_learnt,
                          [&](const StatementRule& kept) { return kept.words == rule->words; });
            m_offered = std::move(rule);
            QStringList words;
            for (const std::u16string& word : m_offered->words) {
                words.push_back(QStr(word));
            }
            const QSignalBlocker quiet(m_remember);
            m_remember->setText(
                QText(IDS_STATEMENT_REMEMBER).arg(words.join(u' '), QStr(CategoryPath(*article))));
            m_remember->setChecked(true);
            m_remember->setVisible(true);
        }
    }
    Apply();
}

void CStatementDlg::SendRestTo(CExpenseArticle* article) {
    m_restId = article != nullptr ? article->m_nId : kNoId;
    {
        const QSignalBlocker quiet(m_rest);
        m_rest->setChecked(article != nullptr || m_rest->isChecked());
    }
    Apply();
}

void CStatementDlg::OnArticleTyped() {
    const int index = m_article->findText(m_article->currentText(), Qt::MatchFixedString);
    if (index < 0) {
        return;
    }
    ChooseArticle(SelectedRows(), index > 0
                                      ? ArticleOf(m_articleIds[static_cast<std::size_t>(index - 1)])
                                      : nullptr);
}

void CStatementDlg::ToggleSelected() {
    const std::vector<int> rows = SelectedRows();
    if (rows.empty()) {
        return;
    }
    const bool checked = !m_pModel->Row(rows.front()).checked;
    for (const int row : rows) {
        m_checks[static_cast<std::size_t>(row)] = checked;
        m_pModel->SetChecked(row, checked);
    }
    UpdateSummary();
}

bool CStatementDlg::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_table && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Space &&
        static_cast<QKeyEvent*>(event)->modifiers() == Qt::NoModifier) {
        ToggleSelected();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void CStatementDlg::keyPressEvent(QKeyEvent* event) {
    // Enter in the article's field gives the rows that article; elsewhere it imports.
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        (m_article->hasFocus() || m_article->lineEdit()->hasFocus())) {
        OnArticleTyped();
        m_table->setFocus();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool CStatementDlg::Import() {
    const ImportPlan& plan = m_pModel->Plan();
    if (plan.account == nullptr) {
        return false;
    }
    const auto hold = m_pFollower->Hold();
    // The reading the user confirmed is the account's from now on.
    std::optional<CsvMemo> csv;
    if (m_format == StatementFormat::Csv && m_csvRead) {
        csv = CsvMemo{m_request.mapping, *m_csvRead, {}};
        csv->settings.footerRows = 0;
    }
    switch (ImportStatement(m_doc, plan, RulesKept(), std::move(csv))) {
    case ImportResult::Imported:
        accept();
        return true;
    case ImportResult::Nothing:
    case ImportResult::NoArticle: // the button waits for both
    case ImportResult::NegativeRefused:
    case ImportResult::BalanceRange: // the account has told the user
        return false;
    case ImportResult::Unnameable:
        m_platform.MessageBox(
            U16(QText(IDS_STATEMENT_UNNAMEABLE).arg(QStr(plan.account->m_strName))), kCaptionError,
            MsgButtons::Ok, MsgIcon::Error);
        return false;
    }
    return false;
}

void CStatementDlg::FollowMerge() {
    // Every account and article is new: found again by lasting id, the rows planned anew.
    if (const std::optional<QString> gone = FillAccounts(*m_account, m_doc.Accounts())) {
        m_platform.MessageBox(U16(QText(IDS_STATEMENT_ACCOUNT_GONE).arg(*gone)), kCaptionInfo,
                              MsgButtons::Ok, MsgIcon::Information);
        const QSignalBlocker quiet(m_account);
        m_account->setCurrentIndex(m_account->count() > 0 ? 0 : -1);
    }
    FillArticles();
    Replan();
}

} // namespace tamblero
