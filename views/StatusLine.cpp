#include "views/StatusLine.h"

#include "dialogs/QtStrings.h"
#include "model/Account.h"
#include "resources/StringTable.h"
#include "views/ElidedLabel.h"

#include <QLabel>
#include <QStatusBar>
#include <QStringList>

#include <utility>

namespace tamblero {

CStatusLine::CStatusLine(QStatusBar& bar)
    : QObject(&bar), m_bar(bar), m_pBalances(new CElidedLabel(&bar)), m_pPickHint(new QLabel(&bar)),
      m_pNote(new QLabel(&bar)), m_pBudget(new QLabel(&bar)) {
    m_pBalances->setObjectName(QStringLiteral("balances"));
    // Right-aligned over the whole bar, asking no width of its own for the text it cuts; where
    // the accounts do not fit, they end in "…" and the total stays in view.
    m_pBalances->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_pBalances->setTextFormat(Qt::PlainText); // a name is never markup
    m_pBalances->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_bar.addPermanentWidget(m_pBalances, 1);
    m_pPickHint->setObjectName(QStringLiteral("pickHint"));
    m_pPickHint->setTextFormat(Qt::PlainText);
    m_pPickHint->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_pPickHint->hide();
    m_bar.addWidget(m_pPickHint, 1);
    m_pNote->setObjectName(QStringLiteral("syncNote"));
    m_pNote->setTextFormat(Qt::PlainText);
    m_pNote->hide();
    m_bar.addWidget(m_pNote);
    m_pBudget->setObjectName(QStringLiteral("budgetLeft"));
    m_pBudget->setTextFormat(Qt::PlainText);
    m_pBudget->hide();
    m_bar.addWidget(m_pBudget);
    m_noteTimer.setSingleShot(true);
    m_noteTimer.setInterval(kNoteMs);
    connect(&m_noteTimer, &QTimer::timeout, m_pNote, &QWidget::hide);
}

void CStatusLine::ShowNote(const QString& note) {
    m_pNote->setText(note);
    m_pNote->show();
    m_bar.show();
    m_noteTimer.start();
}

void CStatusLine::ShowBudget(const QString& text) {
    m_pBudget->setText(text);
    m_pBudget->setVisible(!text.isEmpty());
    if (!text.isEmpty()) {
        m_bar.show();
    }
}

QString CStatusLine::Budget() const {
    return m_pBudget->isVisible() ? m_pBudget->text() : QString();
}

QString CStatusLine::Note() const {
    return m_pNote->isVisible() ? m_pNote->text() : QString();
}

void CStatusLine::Show(const CAccountList& accounts, const QString& pickHint) {
    m_pPickHint->setText(pickHint);
    m_pPickHint->setVisible(!pickHint.isEmpty());
    m_pBalances->setVisible(pickHint.isEmpty());
    if (pickHint.isEmpty()) {
        ShowBalances(accounts);
    }
    m_bar.setVisible(!pickHint.isEmpty() || accounts.GetCount() > 0 || m_noteTimer.isActive() ||
                     !m_pBudget->text().isEmpty());
}

void CStatusLine::ShowBalances(const CAccountList& accounts) {
    QStringList parts;
    for (int i = 0; i < accounts.GetCount(); ++i) {
        const CAccount& account = *accounts.GetAt(i);
        // One pass of arg: a name holding "%2" stays as it is.
        parts << QText(IDS_BALANCE_OF_ACCOUNT)
                     .arg(QStr(account.ShownName()), QString::number(account.Balance()));
    }
    // As the accounts dialog adds them: in 64 bits, never wrapping.
    parts << QText(IDS_BALANCES_TOTAL)
                 .arg(QString::number(static_cast<qlonglong>(accounts.TotalBalance())));
    const QString separator = QText(IDS_BALANCES_SEPARATOR);
    const QString text = parts.join(separator);
    if (text == m_pBalances->text()) {
        return;
    }
    m_pBalances->SetText(text, separator.size() + parts.constLast().size());
    // One account a line, the names escaped: a tooltip would take "<b>" for markup.
    QStringList lines;
    for (const QString& part : std::as_const(parts)) {
        lines << part.toHtmlEscaped();
    }
    m_pBalances->setToolTip(lines.join(QStringLiteral("<br>")));
}

} // namespace tamblero
