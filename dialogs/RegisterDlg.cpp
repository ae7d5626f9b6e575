#include "dialogs/RegisterDlg.h"

#include "dialogs/DialogSupport.h"
#include "dialogs/RegisterModel.h"
#include "model/Account.h"
#include "resources/StringTable.h"

#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>

namespace tamblero {

CRegisterDlg::CRegisterDlg(CVerdalonDoc& doc, const CAccount& account, IPlatform& platform,
                           QWidget* parent)
    : QDialog(parent), m_pModel(new CRegisterModel(doc, account, platform, this)),
      m_list(new QTableView(this)), m_totals(new QLabel(this)),
      m_undo(new QPushButton(QText(IDS_UNDO_REGISTER_ROW), this)) {
    setWindowTitle(QStr(FormatString(IDS_REGISTER_TITLE, {account.m_strName})));
    m_list->setObjectName(QStringLiteral("entries"));
    m_totals->setObjectName(QStringLiteral("total"));
    m_undo->setObjectName(QStringLiteral("undo"));
    m_undo->setAutoDefault(false);
    SetUpLongList(*m_list, *m_pModel);

    auto* bottom = new QHBoxLayout;
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
    connect(m_list->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { m_undo->setEnabled(SelectedRow(*m_list) > 0); });
    connect(m_pModel, &QAbstractItemModel::modelReset, this, [this] { m_undo->setEnabled(false); });
    m_undo->setEnabled(false);
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
    // As the history: nothing stays selected, so a second click undoes nothing unasked.
    if (m_pModel->UndoRow(row)) {
        ShowTotals();
    }
    m_list->clearSelection();
}

void CRegisterDlg::ShowTotals() {
    m_totals->setText(QStr(RegisterFooter(m_pModel->Register())));
}

} // namespace tamblero
