#include "dialogs/RegisterDlg.h"

#include "dialogs/ExpenseDlg.h"
#include "dialogs/MergeFollower.h"
#include "dialogs/RegisterModel.h"
#include "model/Account.h"
#include "resources/StringTable.h"

#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace tamblero {

CRegisterDlg::CRegisterDlg(CVerdalonDoc& doc, const CAccount& account, IPlatform& platform,
                           QWidget* parent)
    : QDialog(parent), m_doc(doc), m_platform(platform),
      m_pModel(new CRegisterModel(doc, account, platform, this)), m_list(new QTableView(this)),
      m_totals(new QLabel(this)), m_undo(new QPushButton(QText(IDS_UNDO_REGISTER_ROW), this)),
      m_edit(new QPushButton(QText(IDS_EDIT_EXPENSE), this)),
      m_runExpense([](QDialog& dlg) { return dlg.exec(); }),
      m_pFollower(new CMergeFollower(doc, *this, [this] { FollowMerge(); })) {
    setWindowTitle(QStr(FormatString(IDS_REGISTER_TITLE, {account.m_strName})));
    m_list->setObjectName(QStringLiteral("entries"));
    m_totals->setObjectName(QStringLiteral("total"));
    m_undo->setObjectName(QStringLiteral("undo"));
    m_undo->setAutoDefault(false);
    m_edit->setObjectName(QStringLiteral("edit"));
    m_edit->setAutoDefault(false);
    SetUpLongList(*m_list, *m_pModel);
    OpenRowsByF2AndDoubleClick(*m_list, [this] { OnEdit(); }); // on an expense's row

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(m_edit);
    bottom->addWidget(m_undo);
    bottom->addStretch(1);
    bottom->addWidget(m_totals);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_list, 1);
    layout->addLayout(bottom);
    // Every undo applies at once, so closing has nothing to cancel.
    layout->addWidget(AddButtons(*this, false));

    connect(m_undo, &QPushButton::clicked, this, &CRegisterDlg::OnUndo);
    // The opening row is no movement to take back.
    connect(m_edit, &QPushButton::clicked, this, &CRegisterDlg::OnEdit);
    connect(m_list->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        m_undo->setEnabled(SelectedRow(*m_list) > 0);
        m_edit->setEnabled(SelectedExpense() >= 0);
    });
    connect(m_pModel, &QAbstractItemModel::modelReset, this, [this] {
        m_undo->setEnabled(false);
        m_edit->setEnabled(false);
    });
    m_undo->setEnabled(false);
    m_edit->setEnabled(false);
    ShowTotals();

    resize(std::max({sizeHint().width(), LongListWidth(*m_list, *layout), TitleBarWidth(*this)}),
           420);
}

void CRegisterDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // The view knows its height only now.
    if (!m_bScrolled) {
        m_bScrolled = true;
        m_list->scrollToBottom();
    }
}

void CRegisterDlg::OnUndo() {
    const int row = SelectedRow(*m_list);
    if (row <= 0) {
        return;
    }
    // The undo may ask or tell something in a loop of its own, the row in hand.
    const auto hold = m_pFollower->Hold();
    // As the history: nothing stays selected, so a second click undoes nothing unasked.
    if (m_pModel->UndoRow(row)) {
        ShowTotals();
    }
    m_list->clearSelection();
}

int CRegisterDlg::SelectedExpense() const {
    const int row = SelectedRow(*m_list);
    return row > 0 && m_pModel->Register().Rows()[static_cast<std::size_t>(row)].kind ==
                          RegisterKind::Expense
               ? row
               : -1;
}

void CRegisterDlg::OnEdit() {
    const int row = SelectedExpense();
    if (row < 0) {
        return;
    }
    // The expense dialog runs a loop of its own while the row's article is in hand.
    const auto hold = m_pFollower->Hold();
    const RegisterRow taken = m_pModel->Register().Rows()[static_cast<std::size_t>(row)];
    if (!EditRecordedExpense(m_doc, *taken.article, taken.day, RegisterEntry(taken), taken.index,
                             m_platform, this, m_runExpense)) {
        return;
    }
    // The rows point into the document: listed anew, the same row stays current.
    m_pModel->Reload();
    ShowTotals();
    m_list->selectRow(std::min(row, m_pModel->rowCount() - 1));
}

void CRegisterDlg::ShowTotals() {
    m_totals->setText(m_pModel->Account() != nullptr ? QStr(RegisterFooter(m_pModel->Register()))
                                                     : QString());
}

void CRegisterDlg::FollowMerge() {
    if (m_pModel->Follow()) {
        setWindowTitle(QStr(FormatString(IDS_REGISTER_TITLE, {m_pModel->Account()->m_strName})));
    } else if (m_list->isEnabled()) {
        // Said once the merge is over, not inside it; nothing of the account is left to act on.
        m_list->setEnabled(false);
        QTimer::singleShot(0, this, [this] {
            m_platform.MessageBox(LoadString(IDS_REGISTER_ACCOUNT_GONE), kCaptionWarning,
                                  MsgButtons::Ok, MsgIcon::Exclamation);
            reject();
        });
    }
    ShowTotals();
}

} // namespace tamblero
