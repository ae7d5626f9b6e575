#include "dialogs/EntriesDlg.h"

#include "app/core/EntryListing.h"
#include "app/platform/Platform.h"
#include "dialogs/DialogSupport.h"
#include "dialogs/EntriesModel.h"
#include "dialogs/ExpenseDlg.h"
#include "dialogs/MergeFollower.h"
#include "model/CategoryNode.h"
#include "model/Notes.h"
#include "period/Period.h"
#include "resources/StringTable.h"
#include "storage/VerdalonDoc.h"

#include <QAction>
#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <functional>
#include <utility>

namespace tamblero {

namespace {

// "Еда / Обед — 8 сен 2008" or, over several days, "… — с 8 сен 2008 по 14 сен 2008".
QString Heading(const CCategoryNode& node, DayNumber first, DayNumber last,
                const IPlatform& platform) {
    const std::u16string path = node.GetParent() != nullptr ? CategoryPath(node) : node.GetName();
    const std::u16string from = FormatDay(first, u"d MMM yyyy", platform);
    const std::u16string days =
        first == last
            ? from
            : FormatString(IDS_ENTRIES_DAYS, {from, FormatDay(last, u"d MMM yyyy", platform)});
    return QStr(FormatString(IDS_ENTRIES_HEADING, {path, days}));
}

// Calls `then` once, as soon as the widget's first paint is out: for work the window's
// opening need not wait for.
class CAfterFirstPaint final : public QObject {
public:
    CAfterFirstPaint(QWidget& widget, std::function<void()> then)
        : QObject(&widget), m_then(std::move(then)) {
        widget.installEventFilter(this);
    }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && m_then) {
            QTimer::singleShot(0, watched, std::exchange(m_then, {}));
            deleteLater();
        }
        return false;
    }

private:
    std::function<void()> m_then;
};

} // namespace

CEntriesDlg::CEntriesDlg(CVerdalonDoc& doc, CCategoryNode& node, DayNumber first, DayNumber last,
                         IPlatform& platform, QWidget* parent)
    : QDialog(parent), m_doc(doc), m_platform(platform),
      m_pModel(new CEntriesModel(doc, node, first, last, platform, this)),
      m_list(new QTableView(this)), m_total(new QLabel(this)),
      m_undo(new QPushButton(QText(IDS_UNDO_EXPENSE), this)),
      m_edit(new QPushButton(QText(IDS_EDIT_EXPENSE), this)) {
    setWindowTitle(QText(IDS_ENTRIES_TITLE));
    m_heading = new QLabel(Heading(node, first, last, platform), this);
    m_heading->setObjectName(QStringLiteral("heading"));
    m_heading->setWordWrap(true);
    m_first = first;
    m_last = last;
    SetUp(*m_heading);
}

CEntriesDlg::CEntriesDlg(CVerdalonDoc& doc, IPlatform& platform,
                         std::function<void(CExpenseArticle&)> showArticle, QWidget* parent)
    : QDialog(parent), m_doc(doc), m_platform(platform),
      m_pModel(new CEntriesModel(doc, platform, this)), m_showArticle(std::move(showArticle)),
      m_find(new QLineEdit(this)), m_list(new QTableView(this)), m_total(new QLabel(this)),
      m_undo(new QPushButton(QText(IDS_UNDO_EXPENSE), this)),
      m_edit(new QPushButton(QText(IDS_EDIT_EXPENSE), this)) {
    setWindowTitle(QText(IDS_FIND_EXPENSES_TITLE));
    m_find->setObjectName(QStringLiteral("find"));
    m_find->setPlaceholderText(QText(IDS_FIND_EXPENSES_PLACEHOLDER));
    m_find->setClearButtonEnabled(true);
    m_find->setMaxLength(static_cast<int>(kMaxNoteLength));
    m_find->installEventFilter(this);
    connect(m_find, &QLineEdit::textChanged, this, [this](const QString& text) {
        m_pModel->SetMatch(U16(text));
        ShowTotal();
    });
    SetUp(*m_find);
    m_list->installEventFilter(this);
    m_find->setFocus();
    // The notes are folded for the search once the rows show, before a letter is typed.
    new CAfterFirstPaint(*m_list->viewport(), [this] { m_pModel->PrepareMatch(); });
}

void CEntriesDlg::SetUp(QWidget& top) {
    m_list->setObjectName(QStringLiteral("entries"));
    m_total->setObjectName(QStringLiteral("total"));
    m_undo->setObjectName(QStringLiteral("undo"));
    m_undo->setAutoDefault(false);
    m_edit->setObjectName(QStringLiteral("edit"));
    m_edit->setAutoDefault(false);
    m_runExpense = [](QDialog& dlg) { return dlg.exec(); };
    // A note being typed in its cell holds a merge back, so that no typing is lost: the cell's
    // editor is a child of the rows' viewport while it is open.
    m_pFollower = new CMergeFollower(
        m_doc, *this, [this] { FollowMerge(); },
        [this] {
            const QList<QWidget*> editors =
                m_list->viewport()->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
            return std::any_of(editors.begin(), editors.end(),
                               [](const QWidget* editor) { return editor->isVisible(); });
        });

    SetUpLongList(*m_list, *m_pModel);
    // F2 and a double-click edit the note in place on its cell, and open the whole entry in the
    // expense dialog on any other.
    m_list->setEditTriggers(QAbstractItemView::DoubleClicked);
    auto* editNote = new QAction(m_list);
    editNote->setShortcut(Qt::Key_F2);
    editNote->setShortcutContext(Qt::WidgetShortcut);
    m_list->addAction(editNote);
    connect(editNote, &QAction::triggered, this, [this] {
        if (const int row = SelectedRow(*m_list); row >= 0) {
            if (m_list->currentIndex().column() == CEntriesModel::NoteColumn) {
                m_list->edit(m_pModel->index(row, CEntriesModel::NoteColumn));
            } else {
                OnEdit();
            }
        }
    });
    connect(m_list, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& index) {
        if (index.column() != CEntriesModel::NoteColumn) {
            OnEdit();
        }
    });

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(m_edit);
    bottom->addWidget(m_undo);
    bottom->addStretch(1);
    bottom->addWidget(m_total);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(&top);
    layout->addWidget(m_list, 1);
    layout->addLayout(bottom);
    // Every undo applies at once, so closing has nothing to cancel.
    layout->addWidget(AddButtons(*this, false));

    connect(m_undo, &QPushButton::clicked, this, &CEntriesDlg::OnUndo);
    connect(m_edit, &QPushButton::clicked, this, &CEntriesDlg::OnEdit);
    connect(m_list->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        m_undo->setEnabled(SelectedRow(*m_list) >= 0);
        m_edit->setEnabled(SelectedRow(*m_list) >= 0);
    });
    // A new match replaces the rows, and the selection with them.
    connect(m_pModel, &QAbstractItemModel::modelReset, this, [this] {
        m_undo->setEnabled(false);
        m_edit->setEnabled(false);
    });
    m_undo->setEnabled(false);
    m_edit->setEnabled(false);
    ShowTotal();

    // Wide enough for the columns as measured, and a scroll bar beside them.
    resize(std::max(sizeHint().width(), LongListWidth(*m_list, *layout)), 420);
}

void CEntriesDlg::keyPressEvent(QKeyEvent* event) {
    // Enter that ends a note's editing comes here after the editor: it must not close the
    // window through its default button.
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && m_list->isAncestorOf(QApplication::focusWidget())) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool CEntriesDlg::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
        if (watched == m_find && (enter || key == Qt::Key_Down)) {
            // From the field to the rows, never to the dialog's button that would close it.
            if (m_pModel->rowCount() > 0) {
                m_list->setFocus();
                if (SelectedRow(*m_list) < 0) {
                    m_list->selectRow(0);
                }
            }
            return true;
        }
        // Only the list's own Enter: the one that ends a note's editing passes by here too.
        const QWidget* focus = QApplication::focusWidget();
        if (watched == m_list && enter && (focus == m_list || !m_list->isAncestorOf(focus))) {
            if (const int row = SelectedRow(*m_list); row >= 0) {
                CExpenseArticle* article = m_pModel->Row(row).article;
                accept();
                if (m_showArticle) {
                    m_showArticle(*article);
                }
            }
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void CEntriesDlg::OnUndo() {
    const int row = SelectedRow(*m_list);
    if (row < 0) {
        return;
    }
    // The undo may ask or tell something in a loop of its own, the row's article in hand.
    const auto hold = m_pFollower->Hold();
    m_pModel->UndoRow(row);
    // As the history: nothing stays selected, so a second click undoes nothing unasked.
    m_list->clearSelection();
    ShowTotal();
}

void CEntriesDlg::OnEdit() {
    const int row = SelectedRow(*m_list);
    if (row < 0) {
        return;
    }
    // The expense dialog runs a loop of its own while the row's article is in hand.
    const auto hold = m_pFollower->Hold();
    const EntryRow entry = m_pModel->Row(row);
    if (!EditRecordedExpense(m_doc, *entry.article, entry.day, entry.Entry(), entry.slot,
                             m_platform, this, m_runExpense)) {
        return;
    }
    // The entry may have left the rows or moved among them: listed anew, the same row stays
    // current, as after a correction in place.
    m_pModel->Reload();
    ShowTotal();
    if (m_pModel->rowCount() > 0) {
        m_list->selectRow(std::min(row, m_pModel->rowCount() - 1));
    }
}

void CEntriesDlg::FollowMerge() {
    if (!m_pModel->Follow()) {
        // Said once the merge is over, not inside it; nothing of the node is left to act on.
        if (m_list->isEnabled()) {
            m_list->setEnabled(false);
            QTimer::singleShot(0, this, [this] {
                m_platform.MessageBox(LoadString(IDS_ENTRIES_NODE_GONE), kCaptionWarning,
                                      MsgButtons::Ok, MsgIcon::Exclamation);
                reject();
            });
        }
    } else if (m_heading != nullptr) {
        m_heading->setText(Heading(*m_pModel->Node(), m_first, m_last, m_platform));
    }
    ShowTotal();
}

void CEntriesDlg::ShowTotal() {
    m_total->setText(
        QStr(FormatString(IDS_ENTRIES_TOTAL, {U16(QString::number(m_pModel->rowCount())),
                                              U16(QString::number(m_pModel->Total()))})));
}

} // namespace tamblero
