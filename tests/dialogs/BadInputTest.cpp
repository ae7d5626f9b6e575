// Typed input is taken as typed or refused with a message; refused input leaves the data alone.
#include "tests/support/GuiWorld.h"

#include "app/core/AmountText.h"
#include "dialogs/AccountsDlg.h"
#include "dialogs/ExpenseDlg.h"
#include "dialogs/NameDlg.h"
#include "dialogs/TransferDlg.h"
#include "resources/StringTable.h"
#include "tests/support/Controls.h"
#include "tests/support/Describe.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QPointer>
#include <QTableWidget>

#include <limits>

using namespace tamblero;
using namespace tamblero::test;

namespace {

enum class Place { NewGroup, NewArticle, Expense, Transfer, AccountRename, TreeRename };

constexpr Amount kCashBalance = std::numeric_limits<Amount>::max(); // any expense leaves it >= 0
const DayNumber kToday = DayNumberFromDate(2008, 9, 11);

struct Outcome {
    QString holds; // the field's text once typed
    bool accepted = false;
    bool open = false; // the dialog or edit box is still there after OK
    std::vector<RecordedMessage> messages;
};

// Short inputs key by key, so validators see every key; long ones as one paste.
void Type(QLineEdit* edit, const QString& text) {
    edit->clear();
    if (text.size() <= 64) {
        QTest::keyClicks(edit, text);
    } else {
        edit->insert(text);
    }
}

// OK on a shown dialog; when it stays open the user gives up with Cancel.
void Confirm(QDialog& dlg, QLineEdit* edit, const QString& typed, Outcome& out) {
    Type(edit, typed);
    out.holds = edit->text();
    dlg.accept();
    out.open = dlg.isVisible();
    out.accepted = dlg.result() == QDialog::Accepted;
    if (out.open) {
        dlg.reject();
    }
}

// Types into an in-place edit box and presses Return.
void EditInPlace(QAbstractItemView& view, const QString& typed, Outcome& out) {
    QPointer<QLineEdit> editor = view.viewport()->findChild<QLineEdit*>();
    QVERIFY(editor != nullptr);
    Type(editor, typed);
    out.holds = editor->text();
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents(); // the delegate commits on a queued call
    out.open = editor != nullptr && editor->isVisible();
    out.accepted = !out.open;
}

void Drive(CGuiWorld& w, Place place, const QString& typed, Outcome& out) {
    CVerdalonDoc& doc = w.Doc();
    TreeDialogs dialogs;
    dialogs.askName = [&](QWidget* parent) -> std::optional<std::u16string> {
        CNameDlg dlg(parent);
        dlg.show();
        Confirm(dlg, dlg.findChild<QLineEdit*>(), typed, out);
        return out.accepted ? std::optional(dlg.name().toStdU16String()) : std::nullopt;
    };
    dialogs.askExpense = [&](QWidget* parent,
                             const CExpenseArticle&) -> std::optional<ExpenseInput> {
        CExpenseDlg dlg(doc.Accounts(), w.m_platform, parent);
        dlg.show();
        Confirm(dlg, test::AmountEdit(dlg), typed, out);
        out.messages = w.m_platform.m_messages; // what the dialog itself said
        return out.accepted ? std::optional(ExpenseInput{dlg.day(), dlg.amount(),
                                                         dlg.accountIndex(), dlg.note()})
                            : std::nullopt;
    };
    w.Tree().SetDialogs(dialogs);

    switch (place) {
    case Place::NewGroup:
    case Place::NewArticle:
        w.Tree().setCurrentIndex(w.TreeModel().index(0, 0));
        w.Tree()
            .Action(place == Place::NewGroup ? CFinancesTreeView::Command::NewGroup
                                             : CFinancesTreeView::Command::NewArticle)
            ->trigger();
        out.messages = w.m_platform.m_messages;
        break;
    case Place::Expense:
        w.Tree().setCurrentIndex(w.Item(u"Кино"));
        w.Tree().Action(CFinancesTreeView::Command::NewExpense)->trigger();
        break;
    case Place::Transfer: {
        w.m_platform.Answer(MsgResult::Yes); // to the negative-balance question, if asked
        CTransferDlg dlg(doc, w.m_platform);
        dlg.show();
        test::TargetCombo(dlg)->setCurrentIndex(1);
        Confirm(dlg, test::AmountEdit(dlg), typed, out);
        out.messages = w.m_platform.m_messages;
        break;
    }
    case Place::AccountRename: {
        CAccountsDlg dlg(doc, w.m_platform);
        dlg.show();
        auto* list = test::AccountsTable(dlg);
        list->editItem(list->item(0, 0));
        EditInPlace(*list, typed, out);
        out.messages = w.m_platform.m_messages;
        break;
    }
    case Place::TreeRename:
        w.Tree().setCurrentIndex(w.Item(u"Общие"));
        w.Tree().Action(CFinancesTreeView::Command::Rename)->trigger();
        EditInPlace(w.Tree(), typed, out);
        out.messages = w.m_platform.m_messages;
        break;
    }
}

std::string Snapshot(const CVerdalonDoc& doc) {
    return Describe(doc) + (doc.IsModified() ? " modified" : " saved");
}

// What the data must show after an accepted input.
void CheckAccepted(CGuiWorld& w, Place place, const QString& holds) {
    CVerdalonDoc& doc = w.Doc();
    CExpenseGroup& root = *doc.GetRoot();
    const std::u16string name = holds.toStdU16String();
    // Every accepted input is a change on the undo stack, the transfer dialog's too.
    QVERIFY(doc.IsModified());
    switch (place) {
    case Place::NewGroup:
        QCOMPARE(root.Groups().size(), std::size_t{2});
        QVERIFY(root.Groups().back()->GetName() == name);
        break;
    case Place::NewArticle:
        QCOMPARE(root.Articles().size(), std::size_t{2});
        QVERIFY(root.Articles().back()->GetName() == name);
        break;
    case Place::Expense: {
        const CEntryList* today = root.Articles().front()->FindDay(kToday);
        QVERIFY(today != nullptr);
        QCOMPARE(today->Entries().size(), std::size_t{3});
        QCOMPARE(today->Entries().back().m_nAmount, holds.toInt());
        QCOMPARE(today->Entries().back().m_pAccount, doc.Accounts().GetAt(0));
        QCOMPARE(doc.Accounts().GetAt(0)->Balance(), kCashBalance - holds.toInt());
        break;
    }
    case Place::Transfer:
        QCOMPARE(doc.Accounts().GetAt(1)->Balance(), holds.toInt());
        break;
    case Place::AccountRename:
        QVERIFY(doc.Accounts().GetAt(0)->m_strName == name);
        break;
    case Place::TreeRename:
        QVERIFY(root.Groups().front()->GetName() == name);
        QCOMPARE(w.Tree().IndexOf(root.Groups().front().get()).data().toString(),
                 QStringLiteral("[") + holds + QStringLiteral("]"));
        break;
    }
    // Whatever was accepted is written and read back unchanged.
    CVerdalonDoc reread(w.m_platform);
    std::string error;
    QVERIFY2(reread.Load(doc.Store(), error), error.c_str());
    QVERIFY(Describe(reread) == Describe(doc));
}

const QString kMax = QStringLiteral("2147483647");
const QString kMaxPlusOne = QStringLiteral("2147483648");
const QString k2Pow32 = QStringLiteral("4294967296");
const QString k30Digits = QStringLiteral("123456789012345678901234567890");
const QString kLong(100000, u'ж');

} // namespace

class BadInputTest final : public QObject {
    Q_OBJECT
private slots:
    void takenOrRefused_data();
    void takenOrRefused();
};

void BadInputTest::takenOrRefused_data() {
    QTest::addColumn<int>("place");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("holds");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<unsigned>("message"); // 0: none
    QTest::addColumn<bool>("open");

    const auto row = [](const char* place, const char* input) -> QTestData& {
        return QTest::addRow("%s: %s", place, input);
    };
    const QString blanks = QStringLiteral("   ");
    const QString letters = QStringLiteral("abc");
    const QString minus = QStringLiteral("-5");

    // Names are free text: only the empty one is turned down, and only by the name dialog.
    const struct {
        Place place;
        const char* label;
    } names[] = {{Place::NewGroup, "new group"},
                 {Place::NewArticle, "new article"},
                 {Place::AccountRename, "account rename"},
                 {Place::TreeRename, "tree rename"}};
    const struct {
        const char* label;
        QString text;
    } inputs[] = {{"blanks", blanks},       {"letters", letters},
                  {"minus", minus},         {"max", kMax},
                  {"max+1", kMaxPlusOne},   {"2^32", k2Pow32},
                  {"30 digits", k30Digits}, {"100000 characters", kLong}};
    for (const auto& n : names) {
        const int p = int(n.place);
        const bool dialog = n.place == Place::NewGroup || n.place == Place::NewArticle;
        row(n.label, "empty") << p << QString() << QString() << !dialog << 0u << false;
        for (const auto& in : inputs) {
            row(n.label, in.label) << p << in.text << in.text << true << 0u << false;
        }
    }

    // An amount field keeps every character typed or pasted; OK takes digits with blanks
    // around them (the transfer a sign too) and refuses the rest, naming it.
    const int ex = int(Place::Expense);
    const unsigned missing = IDS_AMOUNT_MISSING;
    const unsigned notDigits = IDS_AMOUNT_NOT_DIGITS;
    const unsigned tooLarge = IDS_AMOUNT_ABOVE_MAX;
    row("expense", "empty") << ex << QString() << QString() << false << missing << true;
    row("expense", "blanks") << ex << blanks << blanks << false << missing << true;
    row("expense", "letters") << ex << letters << letters << false << notDigits << true;
    row("expense", "minus") << ex << minus << minus << false << unsigned{IDS_AMOUNT_SIGNED} << true;
    row("expense", "max") << ex << kMax << kMax << true << 0u << false;
    row("expense", "max+1") << ex << kMaxPlusOne << kMaxPlusOne << false << tooLarge << true;
    row("expense", "2^32") << ex << k2Pow32 << k2Pow32 << false << tooLarge << true;
    row("expense", "30 digits") << ex << k30Digits << k30Digits << false << tooLarge << true;
    row("expense", "100000 characters") << ex << kLong << kLong << false << notDigits << true;

    // The transfer amount is any text, read as a signed 32-bit number.
    const int tr = int(Place::Transfer);
    const unsigned outOfRange = IDS_AMOUNT_BEYOND_RANGE;
    const unsigned question = IDS_NEGATIVE_BALANCE;
    row("transfer", "empty") << tr << QString() << QString() << false << missing << true;
    row("transfer", "blanks") << tr << blanks << blanks << false << missing << true;
    row("transfer", "letters") << tr << letters << letters << false << notDigits << true;
    row("transfer", "minus") << tr << minus << minus << true << question << false;
    row("transfer", "max") << tr << kMax << kMax << true << 0u << false;
    row("transfer", "max+1") << tr << kMaxPlusOne << kMaxPlusOne << false << outOfRange << true;
    row("transfer", "2^32") << tr << k2Pow32 << k2Pow32 << false << outOfRange << true;
    row("transfer", "30 digits") << tr << k30Digits << k30Digits << false << outOfRange << true;
    row("transfer", "100000 characters") << tr << kLong << kLong << false << notDigits << true;
    // Kopecks are refused, not read as a hundred times the amount.
    for (const auto& [p, label] : {std::pair{ex, "expense"}, std::pair{tr, "transfer"}}) {
        for (const char* fraction : {"99.50", "99,50"}) {
            const QString typed = QString::fromLatin1(fraction);
            row(label, fraction) << p << typed << typed << false << unsigned{IDS_AMOUNT_FRACTION}
                                 << true;
        }
    }
}

void BadInputTest::takenOrRefused() {
    QFETCH(int, place);
    QFETCH(QString, typed);
    QFETCH(QString, holds);
    QFETCH(bool, accepted);
    QFETCH(unsigned, message);
    QFETCH(bool, open);

    CGuiWorld w;
    WriteSampleFile(w.Path("QZData.dat"));
    QVERIFY(w.Start());
    const std::u16string cash = u"Наличные", card = u"Карта";
    CAccount* cashAccount = w.Doc().Accounts().CreateAccount(&cash);
    w.Doc().Accounts().CreateAccount(&card);
    cashAccount->AdjustBalance(kCashBalance); // so that the entry below asks nothing
    w.Doc().GetRoot()->Articles().front()->AddEntry(kToday, 3,
                                                    cashAccount); // an entry naming an account
    cashAccount->AdjustBalance(3);                                // and back to the top
    w.m_platform.m_messages.clear();
    const std::string before = Snapshot(w.Doc());

    Outcome out;
    Drive(w, Place(place), typed, out);
    QCOMPARE(out.holds, holds);
    QCOMPARE(out.accepted, accepted);
    QCOMPARE(out.open, open);
    if (message == 0) {
        QVERIFY(out.messages.empty());
    } else {
        QCOMPARE(out.messages.size(), std::size_t{1});
        if (message == IDS_NEGATIVE_BALANCE) {
            QVERIFY(out.messages[0].text == LoadString(message));
        } else { // the amount's reason, naming what was typed
            const AmountParse parsed = Place(place) == Place::Expense
                                           ? ParseDigitsAmount(typed.toStdU16String())
                                           : ParseSignedAmount(typed.toStdU16String());
            QCOMPARE(parsed.messageId, message);
            QVERIFY(out.messages[0].text == parsed.message);
        }
        QVERIFY(out.messages[0].caption ==
                (message == IDS_NEGATIVE_BALANCE ? kCaptionWarning : kCaptionError));
    }
    if (accepted) {
        CheckAccepted(w, Place(place), holds);
    } else {
        QCOMPARE(Snapshot(w.Doc()), before);
    }
}

QTEST_MAIN(BadInputTest)
#include "BadInputTest.moc"
