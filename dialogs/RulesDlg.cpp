#include "dialogs/RulesDlg.h"

#include "dialogs/DialogSupport.h"
#include "dialogs/MergeFollower.h"
#include "dialogs/QtStrings.h"
#include "dialogs/RulesModel.h"
#include "model/CategoryNode.h"
#include "resources/StringTable.h"
#include "statement/RuleChanges.h"
#include "statement/Rules.h"
#include "storage/VerdalonDoc.h"

#include <QAction>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QHeaderView>
#include <QIntValidator>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>
#include <limits>

namespace tamblero {

namespace {

std::optional<Amount> WholeNumber(const QLineEdit& field) {
    bool ok = false;
    const int value = field.text().toInt(&ok);
    return ok ? std::optional<Amount>(value) : std::nullopt;
}

} // namespace

CRuleEditDlg::CRuleEditDlg(const CVerdalonDoc& doc, const StatementRule& rule, QWidget* parent)
    : QDialog(parent), m_words(new QLineEdit(QStr(RuleTitle(rule)), this)),
      m_article(new QComboBox(this)), m_least(new QLineEdit(this)), m_most(new QLineEdit(this)),
      m_ok(nullptr) {
    setWindowTitle(QText(IDS_RULE_TITLE));
    m_words->setObjectName(QStringLiteral("words"));
    m_article->setObjectName(QStringLiteral("article"));
    m_least->setObjectName(QStringLiteral("least"));
    m_most->setObjectName(QStringLiteral("most"));

    // Any path of the tree, found by any part typed, as in the statement's preview.
    m_articleIds = FillArticles(*m_article, *doc.GetRoot());
    // The article the list shows for the rule: the one a merge gave its article to.
    const ItemId shown = CRuleArticles(*doc.GetRoot(), doc.Ids()).Resolve(rule.article);
    const auto at = std::find(m_articleIds.begin(), m_articleIds.end(), shown);
    m_article->setCurrentIndex(
        at == m_articleIds.end() ? -1 : static_cast<int>(at - m_articleIds.begin()));

    // A size in whole units; an empty field leaves that end open.
    for (QLineEdit* field : {m_least, m_most}) {
        field->setValidator(new QIntValidator(0, std::numeric_limits<int>::max(), field));
    }
    if (rule.least) {
        m_least->setText(QString::number(*rule.least));
    }
    if (rule.most) {
        m_most->setText(QString::number(*rule.most));
    }

    QFormLayout* form = AddFormWithButtons(*this);
    form->addRow(QText(IDS_RULE_WORDS), m_words);
    form->addRow(QText(IDS_RULE_ARTICLE), m_article);
    form->addRow(QText(IDS_RULE_LEAST), m_least);
    form->addRow(QText(IDS_RULE_MOST), m_most);
    if (auto* box = findChild<QDialogButtonBox*>()) {
        m_ok = box->button(QDialogButtonBox::Ok);
    }
    for (QLineEdit* field : {m_words, m_least, m_most}) {
        connect(field, &QLineEdit::textChanged, this, &CRuleEditDlg::UpdateOk);
    }
    connect(m_article, &QComboBox::currentIndexChanged, this, &CRuleEditDlg::UpdateOk);
    connect(m_article, &QComboBox::currentTextChanged, this, &CRuleEditDlg::UpdateOk);
    UpdateOk();
}

QString CRuleEditDlg::WordsText() const {
    return m_words->text();
}

ItemId CRuleEditDlg::Article() const {
    // Only a path of the list counts, not a part of one left typed.
    const int index = m_article->findText(m_article->currentText(), Qt::MatchFixedString);
    return index >= 0 && m_article->itemText(index) == m_article->currentText()
               ? m_articleIds[static_cast<std::size_t>(index)]
               : kNoId;
}

std::optional<Amount> CRuleEditDlg::Least() const {
    return WholeNumber(*m_least);
}

std::optional<Amount> CRuleEditDlg::Most() const {
    return WholeNumber(*m_most);
}

void CRuleEditDlg::UpdateOk() {
    // A rule needs a word that lasts from one payment to the next, an article, and a range
    // that holds some amount.
    const bool ok = !RuleWords(U16(m_words->text())).empty() && Article() != kNoId &&
                    (!Least() || !Most() || *Least() <= *Most());
    if (m_ok != nullptr) {
        m_ok->setEnabled(ok);
    }
}

CRulesDlg::CRulesDlg(CVerdalonDoc& doc, QWidget* parent, QSettings* settings)
    : QDialog(parent), m_doc(doc), m_pModel(new CRulesModel(doc, this)),
      m_table(new QTableView(this)),
      m_edit(ListButton(IDS_RULES_EDIT, QStringLiteral("edit"), this)),
      m_up(ListButton(IDS_RULES_UP, QStringLiteral("up"), this)),
      m_down(ListButton(IDS_RULES_DOWN, QStringLiteral("down"), this)),
      m_delete(ListButton(IDS_RULES_DELETE, QStringLiteral("delete"), this)),
      m_runEdit([](QDialog& dlg) { return dlg.exec(); }),
      // The rows are copies, found again by id after a merge; the form holds it back.
      m_pFollower(new CMergeFollower(doc, *this, [this] {
          const int row = Row();
          Reload(row >= 0 ? m_pModel->Rule(row).id : kNoId, row);
      })) {
    setWindowTitle(QText(IDS_RULES_TITLE));
    m_table->setObjectName(QStringLiteral("rules"));
    m_table->setModel(m_pModel);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->verticalHeader()->hide();
    // The article and the range keep their width; the words, the longest, give way first.
    m_table->horizontalHeader()->setSectionResizeMode(CRulesModel::WordsColumn,
                                                      QHeaderView::Stretch);
    m_table->setWordWrap(false);
    m_table->setTabKeyNavigation(false); // Tab goes on to the buttons
    connect(m_table, &QTableView::doubleClicked, this, &CRulesDlg::OnEdit);
    AddKeys(*m_table, {Qt::Key_Return, Qt::Key_Enter}, [this] { OnEdit(); });
    AddKeys(*m_table, {QKeySequence::Delete}, [this] { OnDelete(); });
    connect(m_table->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &CRulesDlg::UpdateButtons);
    connect(m_pModel, &QAbstractItemModel::modelReset, this, &CRulesDlg::UpdateButtons);

    connect(m_edit, &QPushButton::clicked, this, &CRulesDlg::OnEdit);
    connect(m_up, &QPushButton::clicked, this, [this] { OnMove(-1); });
    connect(m_down, &QPushButton::clicked, this, [this] { OnMove(1); });
    connect(m_delete, &QPushButton::clicked, this, &CRulesDlg::OnDelete);

    // The document's undo and redo, here where the rules are changed.
    AddUndoKeys(*this, [this](bool undo) { OnUndo(undo); });

    auto* buttons = new QGridLayout;
    buttons->addWidget(m_edit, 0, 0);
    buttons->addWidget(m_delete, 0, 1);
    buttons->addWidget(m_up, 1, 0);
    buttons->addWidget(m_down, 1, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_table, 1);
    layout->addLayout(buttons);
    // Changes apply at once, so the one closing button has nothing to cancel.
    layout->addWidget(AddButtons(*this, false));

    m_table->resizeColumnsToContents();
    // The first rule selected, so that its buttons and keys work before any click.
    if (m_pModel->rowCount() > 0) {
        m_table->selectRow(0);
    }
    UpdateButtons();
    RestoreSize(*this, settings, QStringLiteral("rules"), SizeShowingTable(*this, *m_table, 5, 12));
}

int CRulesDlg::Row() const {
    return SelectedRow(*m_table);
}

void CRulesDlg::Reload(ItemId select, int fallbackRow) {
    m_pModel->Reload();
    SelectAgain(*m_table, select != kNoId ? m_pModel->RowOf(select) : -1, fallbackRow);
    UpdateButtons();
}

void CRulesDlg::UpdateButtons() {
    const int row = Row();
    const bool any = row >= 0;
    m_edit->setEnabled(any);
    m_delete->setEnabled(any);
    m_up->setEnabled(any && row > 0);
    m_down->setEnabled(any && row + 1 < m_pModel->rowCount());
}

void CRulesDlg::OnEdit() {
    const int row = Row();
    if (row < 0) {
        return;
    }
    const auto hold = m_pFollower->Hold(); // the form holds the rule's values
    const StatementRule rule = m_pModel->Rule(row);
    CRuleEditDlg form(m_doc, rule, this);
    if (m_runEdit(form) != QDialog::Accepted) {
        return;
    }
    std::vector<std::u16string> words = RuleWords(U16(form.WordsText()));
    if (words.empty() || form.Article() == kNoId) {
        return;
    }
    if (words != rule.words || form.Article() != rule.article || form.Least() != rule.least ||
        form.Most() != rule.most) {
        m_doc.MakeChange(std::make_unique<CChangeRule>(m_doc.StatementMemory(), m_doc.Ids(),
                                                       rule.id, std::move(words), form.Article(),
                                                       form.Least(), form.Most()));
    }
    Reload(rule.id, row);
}

void CRulesDlg::OnMove(int delta) {
    const int row = Row();
    const int to = row + delta;
    if (row < 0 || to < 0 || to >= m_pModel->rowCount()) {
        return;
    }
    const ItemId id = m_pModel->Rule(row).id;
    m_doc.MakeChange(std::make_unique<CMoveRule>(m_doc.StatementMemory(), m_doc.Ids(), id,
                                                 static_cast<std::size_t>(to)));
    Reload(id, to);
}

void CRulesDlg::OnDelete() {
    const int row = Row();
    if (row < 0) {
        return;
    }
    // Nothing asked: an undo brings it back.
    m_doc.MakeChange(std::make_unique<CDeleteRule>(m_doc.StatementMemory(), m_doc.Ids(),
                                                   m_pModel->Rule(row).id));
    Reload(kNoId, row);
}

void CRulesDlg::OnUndo(bool undo) {
    const int row = Row();
    const ItemId id = row >= 0 ? m_pModel->Rule(row).id : kNoId;
    if (undo ? m_doc.Changes().CanUndo() : m_doc.Changes().CanRedo()) {
        undo ? m_doc.UndoChange() : m_doc.RedoChange();
    }
    Reload(id, row);
}

} // namespace tamblero
