#include "dialogs/NameDlg.h"

#include "dialogs/DialogSupport.h"
#include "resources/StringTable.h"

#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include <limits>

namespace tamblero {

CNameDlg::CNameDlg(QWidget* parent) : QDialog(parent), m_edit(new QLineEdit(this)) {
    setWindowTitle(QText(IDS_NAME_TITLE));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QText(IDS_NAME_PROMPT), this));
    layout->addWidget(m_edit);
    layout->addWidget(AddButtons(*this, true));
    m_edit->setMinimumWidth(fontMetrics().averageCharWidth() * 30);
    // A name has no length limit, so the field must not cut a long one short.
    m_edit->setMaxLength(std::numeric_limits<int>::max());
    m_edit->setFocus();
}

void CNameDlg::setName(const QString& name) {
    m_name = name;
    m_edit->setText(name);
}

void CNameDlg::accept() {
    m_name = m_edit->text();
    if (m_name.isEmpty()) {
        reject();
        return;
    }
    QDialog::accept();
}

} // namespace tamblero
