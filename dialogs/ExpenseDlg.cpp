#include "dialogs/ExpenseDlg.h"

#include "app/core/AmountText.h"
#include "app/core/DocumentChanges.h"
#include "app/core/EntryListing.h"
#include "dialogs/MergeFollower.h"
#include "model/Account.h"
#include "model/CategoryNode.h"
#include "model/Notes.h"
#include "resources/StringTable.h"
#include "storage/VerdalonDoc.h"

#include <QComboBox>
#include <QDateEdit>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace tamblero {

CExpenseDlg::CExpenseDlg(const CAccountList& accounts, IPlatform& platform, QWidget* parent,
                         QSettings* settings)
    : QDialog(parent), m_platform(platform), m_form(AddFormWithButtons(*this)),
      m_date(new QDateEdit(this)), m_amountEdit(new QLineEdit(this)),
      m_account(new QComboBox(this)), m_note(new QLineEdit(this)) {
    setWindowTitle(QText(IDS_EXPENSE_TITLE));
    m_date->setObjectName(QStringLiteral("date"));
    m_amountEdit->setObjectName(QStringLiteral("amount"));
    m_account->setObjectName(QStringLiteral("account"));
    m_note->setObjectName(QStringLiteral("note"));
    m_note->setMaxLength(static_cast<int>(kMaxNoteLength));
    // Room for a few words of it.
    m_note->setMinimumWidth(m_note->fontMetrics().averageCharWidth() * 32);

    SetUpDatePicker(*m_date);
    m_date->setDate(ToQDate(Today(platform)));

    // Empty at first, so typing replaces nothing. Whatever is typed or pasted stays as it is,
    // to be refused at OK with its reason: a field that swallowed the "." of "99.50" would
    // record 9950.
    SetUpAmountField(*m_amountEdit);
    m_amountEdit->installEventFilter(this);
    auto* arrows = new QVBoxLayout;
    arrows->setSpacing(0);
    arrows->addWidget(MakeArrow(Qt::UpArrow, +1));
    arrows->addWidget(MakeArrow(Qt::DownArrow, -1));
    auto* amountRow = new QHBoxLayout;
    amountRow->setSpacing(0);
    amountRow->addWidget(m_amountEdit);
    amountRow->addLayout(arrows);

    // Item position is the account index, so the list keeps the accounts' order; an
    // entry cannot name an account past the nameable ones.
    FillAccounts(*m_account, accounts);
    m_account->setEnabled(m_account->count() > 0);

    m_form->addRow(QText(IDS_EXPENSE_DATE), m_date);
    m_form->addRow(QText(IDS_EXPENSE_AMOUNT), amountRow);
    m_form->addRow(QText(IDS_EXPENSE_ACCOUNT), m_account);
    m_form->addRow(QText(IDS_EXPENSE_NOTE), m_note);

    m_amountEdit->setFocus();
    const QSize hint = sizeHint();
    RestoreSize(*this, settings, QStringLiteral("expense"),
                QSize(std::max(hint.width(), TitleBarWidth(*this)), hint.height()));
}

void CExpenseDlg::SetArticle(const CExpenseArticle& article) {
    // The name: the tree beside it shows where the article stands, and a path would make the
    // dialog as wide as it is long.
    setWindowTitle(QStr(FormatString(IDS_EXPENSE_TITLE_OF, {article.GetName()})));
    resize(std::max(width(), TitleBarWidth(*this)), height());
    m_articleId = article.m_nId;
}

void CExpenseDlg::FollowMerges(CVerdalonDoc& doc) {
    new CMergeFollower(doc, *this, [this, &doc] {
        if (const std::optional<QString> gone = FillAccounts(*m_account, doc.Accounts())) {
            m_goneAccount = *gone;
            // Said once the merge is over, not inside it.
            QTimer::singleShot(0, this, [this] { TellAccountGone(); });
        }
        m_account->setEnabled(m_account->count() > 0);
        CCategoryNode* node = NodeWithId(doc, m_articleId);
        if (node != nullptr && node->AsArticle() != nullptr) {
            SetArticle(*node->AsArticle()); // renamed, perhaps
        } else if (isEnabled()) {
            setEnabled(false);
            QTimer::singleShot(0, this, [this] {
                m_platform.MessageBox(LoadString(IDS_EXPENSE_ARTICLE_GONE), kCaptionWarning,
                                      MsgButtons::Ok, MsgIcon::Exclamation);
                reject();
            });
        }
    });
}

void CExpenseDlg::TellAccountGone() {
    if (!isEnabled()) {
        return; // the article went too: that is the word
    }
    m_platform.MessageBox(FormatString(IDS_TRANSFER_ACCOUNT_GONE, {U16(m_goneAccount)}),
                          kCaptionWarning, MsgButtons::Ok, MsgIcon::Exclamation);
    m_account->setFocus();
}

void CExpenseDlg::ShowEntry(CExpenseArticle& article, const ExpenseInput& input) {
    if (m_article == nullptr) {
        m_article = new QComboBox(this);
        m_article->setObjectName(QStringLiteral("article"));
        // In the tree's order: typing a group's first letters reaches its articles.
        const CCategoryNode* root = &article;
        while (root->GetParent() != nullptr) {
            root = root->GetParent();
        }
        root->AsGroup()->ForEachArticleBelow([this](CExpenseArticle& each) {
            m_articles.push_back(&each);
            m_article->addItem(QStr(CategoryPath(each)));
        });
        m_form->insertRow(0, QText(IDS_EXPENSE_ARTICLE), m_article);
        connect(m_article, &QComboBox::currentIndexChanged, this, [this](int index) {
            if (index >= 0) {
                SetArticle(*m_articles[static_cast<std::size_t>(index)]);
            }
        });
        resize(size().expandedTo(sizeHint()));
    }
    const auto at = std::find(m_articles.begin(), m_articles.end(), &article);
    m_article->setCurrentIndex(static_cast<int>(at - m_articles.begin()));
    SetArticle(article);
    m_date->setDate(ToQDate(input.day));
    m_shownAmount = input.amount;
    m_amountEdit->setText(QString::number(input.amount));
    m_amountEdit->selectAll();
    // An entry without an account shows none until one is chosen.
    m_account->setCurrentIndex(input.accountIndex < m_account->count() ? input.accountIndex : -1);
    m_note->setText(QStr(input.note));
}

CExpenseArticle* CExpenseDlg::article() const {
    const int index = m_article != nullptr ? m_article->currentIndex() : -1;
    return index >= 0 ? m_articles[static_cast<std::size_t>(index)] : nullptr;
}

std::u16string CExpenseDlg::note() const {
    return CleanNote(m_note->text().toStdU16String());
}

QToolButton* CExpenseDlg::MakeArrow(Qt::ArrowType arrow, int direction) {
    auto* button = new QToolButton(this);
    button->setObjectName(direction > 0 ? QStringLiteral("amountUp")
                                        : QStringLiteral("amountDown"));
    button->setArrowType(arrow);
    button->setAutoRepeat(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->setMaximumHeight(m_amountEdit->sizeHint().height() / 2);
    connect(button, &QToolButton::pressed, this, [this] {
        if (!m_held.isValid()) {
            m_held.start();
        }
    });
    // While held, auto-repeat clicks with the button still down; the last click is not.
    connect(button, &QToolButton::clicked, this, [this, button, direction] {
        Step(direction * SpinStep(m_held.isValid() ? m_held.elapsed() : 0));
        if (!button->isDown()) {
            m_held.invalidate();
        }
    });
    return button;
}

void CExpenseDlg::Step(int delta) {
    m_amountEdit->setText(QStr(StepAmountText(m_amountEdit->text().toStdU16String(), delta)));
}

bool CExpenseDlg::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_amountEdit && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            Step((key == Qt::Key_Up ? 1 : -1) * SpinStep(0));
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void CExpenseDlg::accept() {
    const std::u16string typed = m_amountEdit->text().toStdU16String();
    AmountParse parsed = ParseDigitsAmount(typed);
    // A correction keeps an amount that typing could not enter but an import recorded.
    if (const AmountParse kept = ParseSignedAmount(typed);
        !parsed.value && m_article != nullptr && kept.value == m_shownAmount) {
        parsed = kept;
    }
    if (!parsed.value) {
        ShowRefusal(m_platform, parsed.message);
        m_amountEdit->setFocus();
        m_amountEdit->selectAll();
        return;
    }
    if (m_account->currentIndex() < 0 && !m_goneAccount.isEmpty()) {
        TellAccountGone();
        return;
    }
    m_amount = *parsed.value;
    m_day = ToDayNumber(m_date->date());
    m_accountIndex = m_account->currentIndex();
    QDialog::accept();
}

bool EditRecordedExpense(CVerdalonDoc& doc, CExpenseArticle& article, DayNumber day,
                         const CExpenseEntry& entry, int slot, IPlatform& platform, QWidget* parent,
                         const DialogRunner& run) {
    CExpenseDlg dlg(doc.Accounts(), platform, parent);
    dlg.ShowEntry(article, ExpenseInputOf(doc, day, entry));
    if (run(dlg) != QDialog::Accepted) {
        return false;
    }
    return EditExpense(doc, article, day, entry, slot, *dlg.article(),
                       {dlg.day(), dlg.amount(), dlg.accountIndex(), dlg.note()});
}

} // namespace tamblero
