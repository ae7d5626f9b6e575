// The accounts, history and expense dialogs open showing their content whole, and each keeps, in
// the window's settings, a size the user gave it.
#include "dialogs/AccountsDlg.h"
#include "dialogs/ExpenseDlg.h"
#include "dialogs/HistoryDlg.h"
#include "model/CategoryNode.h"
#include "tests/support/Controls.h"
#include "tests/support/CoreWorld.h"

#include <QComboBox>
#include <QScreen>
#include <QScrollBar>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using namespace tamblero;

namespace {

enum class Kind { Accounts, History, Expense };

// Names of two and more words, a note, and a day whose articles share a name.
struct World : test::CCoreWorld {
    World() {
        const std::u16string names[] = {u"Наличные деньги", u"Сберегательный вклад в банке"};
        for (const auto& n : names) {
            m_doc.Accounts().CreateAccount(&n)->AdjustBalance(100000);
        }
        const DayNumber today = Today(m_platform);
        CExpenseGroup& root = Root();
        root.AddGroup(u"Развлечения и отдых")
            ->AddArticle(u"Литература")
            ->AddEntry(today, 600, m_doc.Accounts().GetAt(1));
        root.AddGroup(u"Личные расходы")
            ->AddArticle(u"Литература")
            ->AddEntry(today, 300, m_doc.Accounts().GetAt(0), m_doc.Notes().Add(u"подарок #семья"));
    }

    std::unique_ptr<QDialog> Open(Kind kind, QSettings* settings) {
        switch (kind) {
        case Kind::Accounts:
            return std::make_unique<CAccountsDlg>(m_doc, m_platform, nullptr, settings);
        case Kind::History:
            return std::make_unique<CHistoryDlg>(m_doc, Today(m_platform), m_platform, nullptr,
                                                 settings);
        case Kind::Expense:
            return std::make_unique<CExpenseDlg>(m_doc.Accounts(), m_platform, nullptr, settings);
        }
        return nullptr;
    }
};

void AddKinds() {
    QTest::addColumn<int>("kind");
    QTest::newRow("accounts") << int(Kind::Accounts);
    QTest::newRow("history") << int(Kind::History);
    QTest::newRow("expense") << int(Kind::Expense);
}

} // namespace

class DlgSizesTest final : public QObject {
    Q_OBJECT
private slots:
    void opensShowingItsContent_data() { AddKinds(); }
    void opensShowingItsContent() {
        QFETCH(int, kind);
        World w;
        const std::unique_ptr<QDialog> dlg = w.Open(Kind(kind), nullptr);
        dlg->show();
        QVERIFY(QTest::qWaitForWindowExposed(dlg.get()));
        QFont bold = dlg->font();
        bold.setBold(true);
        QVERIFY(dlg->width() >= QFontMetrics(bold).horizontalAdvance(dlg->windowTitle()) + 100);
        for (const QTableWidget* table : dlg->findChildren<QTableWidget*>()) {
            QCOMPARE(table->horizontalScrollBar()->maximum(), 0); // every column whole
            QVERIFY(!table->wordWrap());
            for (int r = 0; r < table->rowCount(); ++r) {
                const QString text = table->item(r, 0)->text();
                QVERIFY2(table->columnWidth(0) > table->fontMetrics().horizontalAdvance(text),
                         qPrintable(text));
            }
        }
        for (const QComboBox* combo : dlg->findChildren<QComboBox*>()) {
            QVERIFY(combo->width() >= combo->sizeHint().width()); // the longest name whole
        }
    }

    void remembersTheSizeTheUserGaveIt_data() { AddKinds(); }
    void remembersTheSizeTheUserGaveIt() {
        QFETCH(int, kind);
        World w;
        QTemporaryDir dir;
        QSettings settings(dir.filePath(QStringLiteral("t.ini")), QSettings::IniFormat);

        // Opened and closed at its own size: nothing to keep.
        QSize natural;
        {
            const std::unique_ptr<QDialog> dlg = w.Open(Kind(kind), &settings);
            dlg->show();
            natural = dlg->size();
            dlg->reject();
        }
        QVERIFY(settings.allKeys().isEmpty());

        const QSize given = natural + QSize(40, 30);
        {
            const std::unique_ptr<QDialog> dlg = w.Open(Kind(kind), &settings);
            dlg->show();
            dlg->resize(given);
            dlg->close(); // as the window's close button does
        }
        QCOMPARE(settings.allKeys().size(), 1); // its own key only
        {
            const std::unique_ptr<QDialog> dlg = w.Open(Kind(kind), &settings);
            QCOMPARE(dlg->size(), given);
        }
        // A size kept from a larger screen is cut to this one's.
        settings.setValue(settings.allKeys().constFirst(), QSize(20000, 20000));
        {
            const std::unique_ptr<QDialog> dlg = w.Open(Kind(kind), &settings);
            const QSize room = QGuiApplication::primaryScreen()->availableSize();
            QVERIFY(dlg->width() <= room.width() && dlg->height() <= room.height());
            QVERIFY(dlg->width() > natural.width());
        }
    }
};

QTEST_MAIN(DlgSizesTest)
#include "DlgSizesTest.moc"
