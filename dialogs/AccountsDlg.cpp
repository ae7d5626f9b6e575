#include "dialogs/AccountsDlg.h"

#include "app/core/DocumentChanges.h"
#include "dialogs/DialogSupport.h"
#include "dialogs/MergeFollower.h"
#include "dialogs/RegisterDlg.h"
#include "dialogs/TransferDlg.h"
#include "resources/StringTable.h"
#include "storage/VerdalonDoc.h"

#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <functional>
#include <limits>

namespace tamblero {

namespace {

// A name has no length limit, so the edit box must not cut a long one short. A confirmed
// edit is a rename even when the text stayed the same; the table would not report that.
class CNameDelegate final : public QStyledItemDelegate {
public:
    CNameDelegate(std::function<void(int, const QString&)> rename, QObject* parent)
        : QStyledItemDelegate(parent), m_rename(std::move(rename)) {}
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override {
        QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
        if (auto* edit = qobject_cast<QLineEdit*>(editor)) {
            edit->setMaxLength(std::numeric_limits<int>::max());
        }
        return editor;
    }
    void setModelData(QWidget* editor, QAbstractItemModel* /*model*/,
                      const QModelIndex& index) const override {
        if (auto* edit = qobject_cast<QLineEdit*>(editor)) {
            m_rename(index.row(), edit->text());
        }
    }

private:
    std::function<void(int, const QString&)> m_rename;
};

} // namespace

CAccountsDlg::CAccountsDlg(CVerdalonDoc& doc, IPlatform& platform, QWidget* parent,
                           QSettings* settings)
    : QDialog(parent), m_doc(doc), m_platform(platform), m_list(new QTableWidget(0, 2, this)),
      m_total(new QLineEdit(this)), m_runTransfer([](QDialog& dlg) { return dlg.exec(); }),
      m_runRegister([](QDialog& dlg) { return dlg.exec(); }),
      // The rows name accounts by their place, read anew after a merge; a name being typed
      // holds the merge back, its row in hand.
      m_pFollower(new CMergeFollower(
          doc, *this, [this] { Refill(); },
          [this] {
              const QList<QWidget*> editors =
                  m_list->viewport()->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
              return std::any_of(editors.begin(), editors.end(),
                                 [](const QWidget* editor) { return editor->isVisible(); });
          })) {
    setWindowTitle(QText(IDS_ACCOUNTS_TITLE));
    m_list->setObjectName(QStringLiteral("accounts"));
    m_total->setObjectName(QStringLiteral("total"));

    m_list->setHorizontalHeaderLabels({QText(IDS_ACCOUNT), QText(IDS_AMOUNT)});
    m_list->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_list->horizontalHeader()->setSectionsClickable(false);
    m_list->verticalHeader()->hide();
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    // A double-click opens the account's register; F2 or a click on the selected name renames.
    m_list->setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
    m_list->setItemDelegateForColumn(
        0, new CNameDelegate([this](int row, const QString& text) { Rename(row, text); }, m_list));
    m_list->setColumnWidth(0, 100);
    m_list->setColumnWidth(1, 50);
    m_list->setWordWrap(false); // a name too long for its column is cut, not broken in two
    // Tab goes on to the buttons; the arrows move between the rows.
    m_list->setTabKeyNavigation(false);
    m_total->setReadOnly(true);

    auto* total = new QLabel(QText(IDS_ACCOUNTS_TOTAL), this);
    total->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    QPushButton* create = ListButton(IDS_NEW_ACCOUNT, QStringLiteral("newAccount"), this);
    QPushButton* remove = ListButton(IDS_DELETE_ACCOUNT, QStringLiteral("deleteAccount"), this);
    QPushButton* transfer = ListButton(IDS_DEPOSIT_OR_TRANSFER, QStringLiteral("transfer"), this);
    QPushButton* movements = ListButton(IDS_ACCOUNT_REGISTER, QStringLiteral("register"), this);
    connect(create, &QPushButton::clicked, this, &CAccountsDlg::OnNewAccount);
    connect(remove, &QPushButton::clicked, this, &CAccountsDlg::OnDeleteAccount);
    connect(transfer, &QPushButton::clicked, this, &CAccountsDlg::OnTransfer);
    connect(movements, &QPushButton::clicked, this, [this] { OnRegister(SelectedRow(*m_list)); });
    connect(m_list, &QTableWidget::doubleClicked, this,
            [this](const QModelIndex& index) { OnRegister(index.row()); });

    auto* grid = new QGridLayout;
    grid->addWidget(total, 0, 0);
    grid->addWidget(m_total, 0, 1);
    grid->setColumnStretch(1, 1);
    auto* buttons = new QGridLayout;
    buttons->addWidget(create, 0, 0);
    buttons->addWidget(remove, 0, 1);
    buttons->addWidget(transfer, 1, 0);
    buttons->addWidget(movements, 1, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_list, 1);
    layout->addLayout(grid);
    layout->addLayout(buttons);
    // Changes apply at once, so the one closing button has nothing to cancel.
    layout->addWidget(AddButtons(*this, false));

    Refill();
    RestoreSize(*this, settings, QStringLiteral("accounts"),
                SizeShowingTable(*this, *m_list, 5, 12));
}

void CAccountsDlg::Refill() {
    const CAccountList& accounts = m_doc.Accounts();
    const QSignalBlocker quiet(m_list); // rewriting rows is no rename
    m_list->setRowCount(accounts.GetCount());
    for (int row = 0; row < accounts.GetCount(); ++row) {
        const CAccount& account = *accounts.GetAt(row);
        // Rows are rewritten in place: a rename arrives while its item is being committed.
        if (m_list->item(row, 0) == nullptr) {
            m_list->setItem(row, 0, new QTableWidgetItem);
            auto* balance = new QTableWidgetItem;
            balance->setFlags(balance->flags() & ~Qt::ItemIsEditable);
            m_list->setItem(row, 1, balance);
        }
        m_list->item(row, 0)->setText(QStr(account.m_strName));
        m_list->item(row, 1)->setText(QString::number(account.Balance()));
    }
    m_list->clearSelection();
    m_total->setText(QString::number(static_cast<qlonglong>(accounts.TotalBalance())));
    // A new or renamed account widens its column; the user's wider columns stay.
    const QAbstractItemView& view = *m_list; // where the measure of a column is public
    for (int c = 0; c < m_list->columnCount(); ++c) {
        const int wanted =
            std::max(view.sizeHintForColumn(c), m_list->horizontalHeader()->sectionSizeHint(c));
        if (wanted > m_list->columnWidth(c)) {
            m_list->setColumnWidth(c, wanted);
        }
    }
}

void CAccountsDlg::OnNewAccount() {
    // An entry names its account with one byte in the data file, so the list is bounded.
    if (NewAccount(m_doc) == nullptr) {
        m_platform.MessageBox(LoadString(IDS_TOO_MANY_ACCOUNTS), kCaptionError, MsgButtons::Ok,
                              MsgIcon::Exclamation);
        return;
    }
    Refill();
}

void CAccountsDlg::OnDeleteAccount() {
    const int row = SelectedRow(*m_list);
    if (row < 0 || row >= m_doc.Accounts().GetCount()) {
        return;
    }
    const auto hold = m_pFollower->Hold(); // whatever the change may ask, the row in hand
    DeleteAccount(m_doc, row);
    Refill();
}

void CAccountsDlg::OnTransfer() {
    if (m_doc.Accounts().GetCount() == 0) {
        return;
    }
    // The transfer's dialog follows a merge itself, keeping its accounts by id; the rows here
    // are read anew after it.
    const std::size_t done = m_doc.Changes().DoneCount();
    CTransferDlg dlg(m_doc, m_platform, this);
    dlg.SetTarget(SelectedRow(*m_list)); // money usually goes into the account at hand
    m_runTransfer(dlg);
    // Whatever came of it, the dialog counts as a change to the accounts.
    if (m_doc.Changes().DoneCount() == done) {
        m_doc.MarkChanged();
    }
    Refill();
}

void CAccountsDlg::OnRegister(int row) {
    if (row < 0 || row >= m_doc.Accounts().GetCount()) {
        return;
    }
    // The register follows a merge itself, finding its account again by id.
    CRegisterDlg dlg(m_doc, *m_doc.Accounts().GetAt(row), m_platform, this);
    m_runRegister(dlg);
    // An undo there moved money.
    Refill();
}

void CAccountsDlg::Rename(int row, const QString& text) {
    if (row < 0 || row >= m_doc.Accounts().GetCount()) {
        return;
    }
    // Taken exactly as typed: blanks and the empty name included.
    const auto hold = m_pFollower->Hold();
    RenameAccount(m_doc, row, text.toStdU16String());
    Refill();
}

} // namespace tamblero
