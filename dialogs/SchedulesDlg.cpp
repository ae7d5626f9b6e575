#include "dialogs/SchedulesDlg.h"

#include "app/core/AmountText.h"
#include "app/core/Schedules.h"
#include "dialogs/MergeFollower.h"
#include "dialogs/QtStrings.h"
#include "dialogs/SchedulesModel.h"
#include "model/Account.h"
#include "model/CategoryNode.h"
#include "model/Notes.h"
#include "resources/StringTable.h"
#include "storage/VerdalonDoc.h"

#include <QAction>
#include <QComboBox>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>

namespace tamblero {

namespace {

QComboBox* Choice(QWidget* parent, const QString& name, std::initializer_list<StringId> texts,
                  int current) {
    auto* box = new QComboBox(parent);
    box->setObjectName(name);
    for (const StringId text : texts) {
        box->addItem(QText(text));
    }
    box->setCurrentIndex(current);
    return box;
}

void SetUpTable(QTableView& table, QAbstractItemModel& model) {
    table.setModel(&model);
    table.setSelectionMode(QAbstractItemView::SingleSelection);
    table.setSelectionBehavior(QAbstractItemView::SelectRows);
    table.setEditTriggers(QAbstractItemView::NoEditTriggers);
    table.verticalHeader()->hide();
    table.horizontalHeader()->setStretchLastSection(true);
    table.setWordWrap(false);
    table.setTabKeyNavigation(false); // Tab goes on to the buttons
}

} // namespace

CScheduleEditDlg::CScheduleEditDlg(const CVerdalonDoc& doc, IPlatform& platform,
                                   const Schedule& schedule, QWidget* parent)
    : QDialog(parent), m_platform(platform), m_article(new QComboBox(this)),
      m_amount(new QLineEdit(this)), m_account(new QComboBox(this)), m_note(new QLineEdit(this)),
      m_first(new QDateEdit(this)),
      m_repeat(Choice(this, QStringLiteral("repeat"),
                      {IDS_REPEAT_DAYS, IDS_REPEAT_WEEKS, IDS_REPEAT_MONTHS, IDS_REPEAT_YEARS,
                       IDS_REPEAT_LAST_DAY},
                      static_cast<int>(schedule.when.repeat))),
      m_every(new QSpinBox(this)),
      m_weekend(Choice(this, QStringLiteral("weekend"),
                       {IDS_WEEKEND_KEEP, IDS_WEEKEND_FRIDAY, IDS_WEEKEND_MONDAY},
                       static_cast<int>(schedule.when.weekend))),
      m_end(Choice(this, QStringLiteral("end"),
                   {IDS_END_NEVER, IDS_END_ON_DAY, IDS_END_AFTER_COUNT},
                   static_cast<int>(schedule.when.end))),
      m_lastDay(new QDateEdit(this)), m_count(new QSpinBox(this)),
      m_mode(Choice(this, QStringLiteral("mode"), {IDS_MODE_REMIND, IDS_MODE_RECORD},
                    static_cast<int>(schedule.mode))) {
    setWindowTitle(QText(IDS_SCHEDULE_TITLE));
    m_article->setObjectName(QStringLiteral("article"));
    m_amount->setObjectName(QStringLiteral("amount"));
    m_account->setObjectName(QStringLiteral("account"));
    m_note->setObjectName(QStringLiteral("note"));
    m_first->setObjectName(QStringLiteral("first"));
    m_every->setObjectName(QStringLiteral("every"));
    m_lastDay->setObjectName(QStringLiteral("lastDay"));
    m_count->setObjectName(QStringLiteral("count"));

    // Any path of the tree, found by any part typed, as in the rules' form.
    m_articleIds = FillArticles(*m_article, *doc.GetRoot());
    const auto at = std::find(m_articleIds.begin(), m_articleIds.end(), schedule.what.article);
    m_article->setCurrentIndex(at == m_articleIds.end()
                                   ? (m_articleIds.empty() ? -1 : 0)
                                   : static_cast<int>(at - m_articleIds.begin()));

    SetUpAmountField(*m_amount);
    if (schedule.what.amount != 0) {
        m_amount->setText(QString::number(schedule.what.amount));
    }
    m_account->addItem(QText(IDS_SCHEDULE_NO_ACCOUNT), QVariant::fromValue(quint64{kNoId}));
    for (int i = 0; i < doc.Accounts().GetNameableCount(); ++i) {
        const CAccount& account = *doc.Accounts().GetAt(i);
        m_account->addItem(QStr(account.m_strName), QVariant::fromValue(quint64{account.m_nId}));
    }
    m_account->setCurrentIndex(
        std::max(0, m_account->findData(QVariant::fromValue(quint64{schedule.what.account}))));
    m_note->setMaxLength(static_cast<int>(kMaxNoteLength));
    m_note->setText(QStr(schedule.what.note));

    const DayNumber today = Today(platform);
    for (QDateEdit* picker : {m_first, m_lastDay}) {
        SetUpDatePicker(*picker);
    }
    m_first->setDate(ToQDate(schedule.id == kNoId ? today : schedule.when.first));
    m_lastDay->setDate(
        ToQDate(schedule.when.end == ScheduleEnd::OnDay ? schedule.when.lastDay : today));
    m_every->setRange(1, static_cast<int>(kMaxEvery));
    m_every->setValue(static_cast<int>(schedule.when.every));
    m_count->setRange(1, static_cast<int>(kMaxOccurrences));
    m_count->setSuffix(QText(IDS_SCHEDULE_TIMES));
    m_count->setValue(
        schedule.when.end == ScheduleEnd::AfterCount ? static_cast<int>(schedule.when.count) : 12);

    QFormLayout* form = AddFormWithButtons(*this);
    form->addRow(QText(IDS_SCHEDULE_ARTICLE), m_article);
    form->addRow(QText(IDS_SCHEDULE_AMOUNT), m_amount);
    form->addRow(QText(IDS_SCHEDULE_ACCOUNT), m_account);
    form->addRow(QText(IDS_SCHEDULE_NOTE), m_note);
    form->addRow(QText(IDS_SCHEDULE_FIRST), m_first);
    form->addRow(QText(IDS_SCHEDULE_REPEAT), m_repeat);
    form->addRow(QText(IDS_SCHEDULE_EVERY), m_every);
    form->addRow(QText(IDS_SCHEDULE_WEEKEND), m_weekend);
    auto* end = new QHBoxLayout;
    end->addWidget(m_end);
    end->addWidget(m_lastDay);
    end->addWidget(m_count);
    form->addRow(QText(IDS_SCHEDULE_END), end);
    form->addRow(QText(IDS_SCHEDULE_MODE), m_mode);
    if (auto* box = findChild<QDialogButtonBox*>()) {
        m_ok = box->button(QDialogButtonBox::Ok);
    }
    connect(m_article, &QComboBox::currentTextChanged, this, &CScheduleEditDlg::UpdateFields);
    connect(m_amount, &QLineEdit::textChanged, this, &CScheduleEditDlg::UpdateFields);
    connect(m_end, &QComboBox::currentIndexChanged, this, &CScheduleEditDlg::UpdateFields);
    UpdateFields();
}

ItemId CScheduleEditDlg::Article() const {
    // Only a path of the list counts, not a part of one left typed.
    const int index = m_article->findText(m_article->currentText(), Qt::MatchFixedString);
    return index >= 0 && m_article->itemText(index) == m_article->currentText()
               ? m_articleIds[static_cast<std::size_t>(index)]
               : kNoId;
}

ScheduleWhat CScheduleEditDlg::What() const {
    return {Article(), ParseSignedAmount(U16(m_amount->text())).value.value_or(0),
            m_account->currentData().value<quint64>(), U16(m_note->text())};
}

ScheduleWhen CScheduleEditDlg::When() const {
    ScheduleWhen when;
    when.first = ToDayNumber(m_first->date());
    when.repeat = static_cast<Repeat>(m_repeat->currentIndex());
    when.every = static_cast<std::uint32_t>(m_every->value());
    when.weekend = static_cast<WeekendRule>(m_weekend->currentIndex());
    when.end = static_cast<ScheduleEnd>(m_end->currentIndex());
    if (when.end == ScheduleEnd::OnDay) {
        when.lastDay = ToDayNumber(m_lastDay->date());
    } else if (when.end == ScheduleEnd::AfterCount) {
        when.count = static_cast<std::uint32_t>(m_count->value());
    }
    return when;
}

ScheduleMode CScheduleEditDlg::Mode() const {
    return static_cast<ScheduleMode>(m_mode->currentIndex());
}

void CScheduleEditDlg::UpdateFields() {
    // The end's own field only for its kind; OK once an article is chosen and an amount typed.
    m_lastDay->setVisible(m_end->currentIndex() == static_cast<int>(ScheduleEnd::OnDay));
    m_count->setVisible(m_end->currentIndex() == static_cast<int>(ScheduleEnd::AfterCount));
    if (m_ok != nullptr) {
        m_ok->setEnabled(Article() != kNoId && !m_amount->text().trimmed().isEmpty());
    }
}

void CScheduleEditDlg::accept() {
    // A schedule pays something: a positive whole amount, or the user is told why not.
    const AmountParse amount = ParseSignedAmount(U16(m_amount->text()));
    if (!amount.value || *amount.value <= 0) {
        ShowRefusal(m_platform,
                    amount.value ? LoadString(IDS_SCHEDULE_BAD_AMOUNT) : amount.message);
        m_amount->setFocus();
        m_amount->selectAll();
        return;
    }
    QDialog::accept();
}

CSchedulesDlg::CSchedulesDlg(CVerdalonDoc& doc, IPlatform& platform, QWidget* parent,
                             QSettings* settings)
    : QDialog(parent), m_doc(doc), m_platform(platform), m_pModel(new CSchedulesModel(doc, this)),
      m_table(new QTableView(this)),
      m_add(ListButton(IDS_SCHEDULES_ADD, QStringLiteral("add"), this)),
      m_edit(ListButton(IDS_SCHEDULES_EDIT, QStringLiteral("edit"), this)),
      m_delete(ListButton(IDS_SCHEDULES_DELETE, QStringLiteral("delete"), this)),
      m_runEdit([](QDialog& dlg) { return dlg.exec(); }),
      // The rows are copies, found again by id after a merge; the form holds it back.
      m_pFollower(new CMergeFollower(doc, *this, [this] {
          const int row = Row();
          Reload(row >= 0 ? m_pModel->At(row).id : kNoId, row);
      })) {
    setWindowTitle(QText(IDS_SCHEDULES_TITLE));
    m_table->setObjectName(QStringLiteral("schedules"));
    SetUpTable(*m_table, *m_pModel);
    OpenRowsByF2AndDoubleClick(*m_table, [this] { OnEdit(); });
    AddKeys(*m_table, {Qt::Key_Return, Qt::Key_Enter}, [this] { OnEdit(); });
    AddKeys(*m_table, {QKeySequence::Delete}, [this] { OnDelete(); });
    AddKeys(*m_table, {Qt::Key_Insert}, [this] { OnAdd(); });
    connect(m_table->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &CSchedulesDlg::UpdateButtons);
    connect(m_pModel, &QAbstractItemModel::modelReset, this, &CSchedulesDlg::UpdateButtons);
    connect(m_add, &QPushButton::clicked, this, &CSchedulesDlg::OnAdd);
    connect(m_edit, &QPushButton::clicked, this, &CSchedulesDlg::OnEdit);
    connect(m_delete, &QPushButton::clicked, this, &CSchedulesDlg::OnDelete);

    // The document's undo and redo, here where the schedules are changed.
    AddUndoKeys(*this, [this](bool undo) { OnUndo(undo); });

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_add);
    buttons->addWidget(m_edit);
    buttons->addWidget(m_delete);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_table, 1);
    layout->addLayout(buttons);
    // Changes apply at once, so the one closing button has nothing to cancel.
    layout->addWidget(AddButtons(*this, false));

    Reload(kNoId, 0);
    m_table->resizeColumnsToContents();
    RestoreSize(*this, settings, QStringLiteral("schedules"),
                SizeShowingTable(*this, *m_table, 5, 12));
}

int CSchedulesDlg::Row() const {
    return SelectedRow(*m_table);
}

void CSchedulesDlg::Reload(ItemId select, int fallbackRow) {
    m_pModel->Reload();
    SelectAgain(*m_table, select != kNoId ? m_pModel->RowOf(select) : -1, fallbackRow);
    UpdateButtons();
}

void CSchedulesDlg::UpdateButtons() {
    const bool any = Row() >= 0;
    m_edit->setEnabled(any);
    m_delete->setEnabled(any);
}

void CSchedulesDlg::OnAdd() {
    const auto hold = m_pFollower->Hold(); // the form holds the tree's articles
    Schedule fresh;
    CScheduleEditDlg form(m_doc, m_platform, fresh, this);
    if (m_runEdit(form) != QDialog::Accepted || form.What().article == kNoId) {
        return;
    }
    Reload(AddSchedule(m_doc, form.What(), form.When(), form.Mode()), Row());
}

void CSchedulesDlg::OnEdit() {
    const int row = Row();
    if (row < 0) {
        return;
    }
    const auto hold = m_pFollower->Hold(); // the form holds the schedule's values
    const Schedule schedule = m_pModel->At(row);
    CScheduleEditDlg form(m_doc, m_platform, schedule, this);
    if (m_runEdit(form) != QDialog::Accepted || form.What().article == kNoId) {
        return;
    }
    ChangeSchedule(m_doc, schedule.id, form.What(), form.When(), form.Mode());
    Reload(schedule.id, row);
}

void CSchedulesDlg::OnDelete() {
    const int row = Row();
    if (row < 0) {
        return;
    }
    // Nothing asked: an undo brings it back.
    DeleteSchedule(m_doc, m_pModel->At(row).id);
    Reload(kNoId, row);
}

void CSchedulesDlg::OnUndo(bool undo) {
    const int row = Row();
    const ItemId id = row >= 0 ? m_pModel->At(row).id : kNoId;
    if (undo ? m_doc.Changes().CanUndo() : m_doc.Changes().CanRedo()) {
        undo ? m_doc.UndoChange() : m_doc.RedoChange();
    }
    Reload(id, row);
}

CDueDlg::CDueDlg(CVerdalonDoc& doc, IPlatform& platform, std::vector<DueOccurrence> due,
                 QWidget* parent, QSettings* settings)
    : QDialog(parent), m_doc(doc), m_platform(platform), m_pModel(new CDueModel(doc, this)),
      m_table(new QTableView(this)), m_upTo(Today(platform)),
      // The rows name schedules by this document's ids: read anew after a merge.
      m_pFollower(new CMergeFollower(doc, *this, [this] { Refresh(); })) {
    setWindowTitle(QText(IDS_DUE_TITLE));
    m_table->setObjectName(QStringLiteral("due"));
    m_pModel->SetDue(std::move(due));
    SetUpTable(*m_table, *m_pModel);
    m_table->setSelectionMode(QAbstractItemView::ExtendedSelection);

    auto* all = new QPushButton(QText(IDS_DUE_RECORD_ALL), this);
    all->setObjectName(QStringLiteral("recordAll"));
    all->setDefault(true);
    auto* checked = ListButton(IDS_DUE_RECORD_CHOSEN, QStringLiteral("recordChecked"), this);
    auto* skip = ListButton(IDS_DUE_SKIP, QStringLiteral("skip"), this);
    auto* later = ListButton(IDS_DUE_LATER, QStringLiteral("later"), this);
    connect(all, &QPushButton::clicked, this, &CDueDlg::RecordAll);
    connect(checked, &QPushButton::clicked, this, &CDueDlg::RecordChecked);
    connect(skip, &QPushButton::clicked, this, &CDueDlg::SkipChecked);
    connect(later, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(all);
    buttons->addWidget(checked);
    buttons->addWidget(skip);
    buttons->addStretch();
    buttons->addWidget(later);
    auto* intro = new QLabel(QText(IDS_DUE_INTRO), this);
    intro->setWordWrap(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addWidget(m_table, 1);
    layout->addLayout(buttons);
    m_table->resizeColumnsToContents();
    if (m_pModel->rowCount() > 0) {
        m_table->selectRow(0);
    }
    RestoreSize(*this, settings, QStringLiteral("due"), SizeShowingTable(*this, *m_table, 3, 12));
}

void CDueDlg::Record(const std::vector<DueOccurrence>& which) {
    const auto hold = m_pFollower->Hold(); // a balance's question may run its own loop
    for (const DueOccurrence& due : which) {
        if (RecordOccurrence(m_doc, due) != Recorded::Refused) {
            ++m_nRecorded;
        }
    }
    Refresh();
}

void CDueDlg::RecordAll() {
    Record(m_pModel->Due());
}

void CDueDlg::RecordChecked() {
    Record(m_pModel->Checked());
}

void CDueDlg::SkipChecked() {
    SkipOccurrences(m_doc, m_pModel->Checked());
    Refresh();
}

void CDueDlg::Refresh() {
    std::vector<DueOccurrence> due = DueOccurrences(m_doc, m_upTo);
    if (due.empty()) {
        accept();
        return;
    }
    m_pModel->SetDue(std::move(due));
}

} // namespace tamblero
