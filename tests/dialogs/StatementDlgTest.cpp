// The preview of a bank's statement keeps Qt's model contract, marks what is already recorded,
// teaches a row's article to the rows like it, and records everything as one undoable change.
#include "dialogs/StatementDlg.h"
#include "app/core/DocumentChanges.h"
#include "dialogs/QtStrings.h"
#include "dialogs/StatementModel.h"
#include "model/Account.h"
#include "model/CategoryNode.h"
#include "model/Movements.h"
#include "model/Notes.h"
#include "resources/StringTable.h"
#include "storage/VerdalonDoc.h"
#include "tests/support/CoreWorld.h"
#include "tests/support/Files.h"

#include <QAbstractItemModelTester>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QtTest>

#include <signal.h>

using namespace tamblero;

namespace {

int Entries(const CExpenseArticle& article) {
    int count = 0;
    for (const auto& [day, list] : article.Days()) {
        count += list.GetCount();
    }
    return count;
}

// An OFX statement beside a stand-in for the helper (a shell script of that body) where the
// platform looks for it, beside the program.
struct OfxWorld : test::CCoreWorld {
    explicit OfxWorld(const std::string& helper) {
        NewAccount(m_doc);
        m_platform.m_executable = dir.Path() / "tamblero";
        const std::filesystem::path script = dir.Path() / "tamblero-ofx";
        test::WriteText(script, "#!/bin/sh\n" + helper + "\n");
        std::filesystem::permissions(script, std::filesystem::perms::owner_all);
        test::WriteText(ofx, "OFXHEADER:100\n<OFX>\n<FITID>F-1\n<FITID>F-2\n</OFX>\n");
    }
    test::CTempDir dir;
    std::filesystem::path ofx = dir.Path() / "bank.ofx";
};

} // namespace

class StatementDlgTest final : public QObject {
    Q_OBJECT
private slots:
    void previewTeachesImportsAndUndoesWhole() {
        // One import is one change, after a preview that marks duplicates and spreads a rule.
        test::CCoreWorld w;
        CExpenseArticle* food = AddNode(w.m_doc, w.Root(), u"Еда", false)->AsArticle();
        CExpenseArticle* car = AddNode(w.m_doc, w.Root(), u"Машина", false)->AsArticle();
        CAccount* card = NewAccount(w.m_doc);
        RenameAccount(w.m_doc, 0, u"Карта");
        card->AdjustBalance(1000);
        car->AddEntry(DayNumberFromDate(2026, 3, 5), 300, card,
                      w.m_doc.Notes().Add(u"АЗС Лукойл")); // 700 left
        w.Forget();
        const test::CTempDir dir;
        const std::filesystem::path qif = dir.Path() / "bank.qif";
        QVERIFY(test::WriteText(qif, "!Type:Bank\n"
                                     "D2026-03-02\nT-250.40\nPМагнит Москва *1234\n^\n"
                                     "D2026-03-04\nT-99.50\nPМАГНИТ МОСКВА 04.03 *1234\n^\n"
                                     "D2026-03-05\nT-300.00\nPАЗС Лукойл\n^\n"
                                     "D2026-03-06\nT1500.00\nPЗарплата\n^\n"));

        CStatementDlg dlg(w.m_doc, w.m_platform, qif);
        QVERIFY(dlg.Refusal().isEmpty());
        CStatementModel& model = dlg.Model();
        QAbstractItemModelTester tester(&model,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        QCOMPARE(model.rowCount(), 4);
        const auto cell = [&](int row, int column, int role = Qt::DisplayRole) {
            return model.index(row, column).data(role);
        };
        QCOMPARE(cell(0, CStatementModel::AmountColumn).toString(), u"-250,40"_qs);
        QCOMPARE(cell(0, CStatementModel::AmountColumn, CStatementModel::RawValueRole),
                 QVariant(qlonglong{-25040}));
        QCOMPARE(cell(2, CStatementModel::MarkColumn).toString(), u"уже есть"_qs);
        QCOMPARE(cell(2, CStatementModel::CheckColumn, Qt::CheckStateRole).value<Qt::CheckState>(),
                 Qt::Unchecked);
        auto* import = dlg.findChild<QPushButton*>(QStringLiteral("import"));
        QVERIFY(!import->isEnabled()); // two outgoing rows have no article yet
        QVERIFY(!dlg.findChild<QLabel*>(QStringLiteral("noArticle"))->text().isEmpty());
        QCOMPARE(dlg.findChild<QLabel*>(QStringLiteral("totals"))->text(),
                 u"По выписке: 850,10, после округления: 850. Добавить: 3, пропустить: 1."_qs);

        dlg.ChooseArticle({0}, food);
        QCOMPARE(cell(1, CStatementModel::ArticleColumn, CStatementModel::RawValueRole),
                 QVariant::fromValue(quint64{food->m_nId}));
        auto* remember = dlg.findChild<QCheckBox*>(QStringLiteral("remember"));
        QVERIFY(remember->isChecked() && remember->text().contains(u"магнит"_qs));
        QVERIFY(import->isEnabled());

        // Space on a selected row unchecks it: the deposit stays out.
        auto* table = dlg.findChild<QTableView*>(QStringLiteral("rows"));
        table->setCurrentIndex(model.index(3, CStatementModel::DescriptionColumn));
        QTest::keyClick(table, Qt::Key_Space);
        QVERIFY(!model.Row(3).checked);

        QVERIFY(dlg.Import());
        QCOMPARE(Entries(*food), 2);
        QCOMPARE(card->Balance(), 700 - 250 - 100);
        QCOMPARE(w.m_doc.StatementMemory().Rules().Rules().size(), std::size_t{1});
        QCOMPARE(w.m_doc.Changes().UndoText(),
                 FormatString(IDS_CHANGE_IMPORT_STATEMENT, {u"Карта"}));

        w.m_doc.UndoChange();
        QCOMPARE(Entries(*food), 0);
        QCOMPARE(card->Balance(), 700);
        QVERIFY(w.m_doc.StatementMemory().Rules().Rules().empty());
    }

    void anArticleChosenAgainCorrectsTheRuleItTaught() {
        // Choosing a second article for the same row leaves one rule, of the later choice,
        // which the rows like it follow and the import keeps.
        test::CCoreWorld w;
        CExpenseArticle* food = AddNode(w.m_doc, w.Root(), u"Еда", false)->AsArticle();
        CExpenseArticle* car = AddNode(w.m_doc, w.Root(), u"Машина", false)->AsArticle();
        NewAccount(w.m_doc)->AdjustBalance(100);
        const test::CTempDir dir;
        const std::filesystem::path qif = dir.Path() / "bank.qif";
        QVERIFY(test::WriteText(qif, "!Type:Bank\nD2026-03-02\nT-10.00\nPЛукойл АЗС 12\n^\n"
                                     "D2026-03-04\nT-20.00\nPЛУКОЙЛ АЗС 12\n^\n"));
        CStatementDlg dlg(w.m_doc, w.m_platform, qif);
        dlg.ChooseArticle({0}, food);
        dlg.ChooseArticle({0}, car);
        QCOMPARE(dlg.Model().Row(1).article, car);
        QVERIFY(dlg.Import());
        const auto& rules = w.m_doc.StatementMemory().Rules().Rules();
        QCOMPARE(rules.size(), std::size_t{1});
        QCOMPARE(rules[0].article, car->m_nId);
    }

    void csvColumnsAreGuessedOnceThenLeftToTheUser() {
        // A CSV without a mapping gets a guessed one; what the user sets is never guessed over.
        test::CCoreWorld w;
        NewAccount(w.m_doc);
        const test::CTempDir dir;
        const std::filesystem::path csv = dir.Path() / "bank.csv";
        QVERIFY(test::WriteText(csv, "Дата;Номер;Описание операции;Сумма\n"
                                     "07.03.2026;A1;Пятёрочка у дома;-1 200,50\n"
                                     "08.03.2026;A2;Кофейня на углу;-180,00\n"));
        CStatementDlg dlg(w.m_doc, w.m_platform, csv);
        QVERIFY(dlg.Refusal().isEmpty());
        const auto column = [&](int n) {
            return dlg.findChild<QComboBox*>(QStringLiteral("column%1").arg(n));
        };
        const auto choose = [&](int n, int index) {
            column(n)->setCurrentIndex(index);
            emit column(n)->activated(index);
        };
        // Shown from 1 after "нет": date, amount, debit, credit, description, id.
        const int guessed[] = {1, 4, 0, 0, 3, 2};
        for (int n = 0; n < 6; ++n) {
            QCOMPARE(column(n)->currentIndex(), guessed[n]);
        }
        QCOMPARE(dlg.Model().rowCount(), 2);
        QCOMPARE(dlg.Model().Row(0).row.hundredths, -120050);
        choose(5, 2); // the bank's ids
        QCOMPARE(dlg.Model().Row(1).row.bankId, u"A2");
        choose(0, 2); // the date where the ids are: refused, kept for the user to correct
        QCOMPARE(dlg.Model().rowCount(), 0);
        QCOMPARE(column(0)->currentIndex(), 2);
        QCOMPARE(column(5)->currentIndex(), 2);
    }

    void rowsThatComeWithCorrectedColumnsAreSizedToBeRead() {
        // Rows that appear after an empty preview get columns wide enough for their text, and
        // the last column takes no more than its own.
        test::CCoreWorld w;
        NewAccount(w.m_doc);
        const test::CTempDir dir;
        const std::filesystem::path csv = dir.Path() / "bank.csv";
        QVERIFY(test::WriteText(csv, "Дата,Описание,Списание,Зачисление\n"
                                     "2026-01-31,ПЯТЕРОЧКА 9912 МОСКВА,10500.00,\n"
                                     "2026-02-01,Зарплата,,100000.00\n"));
        CStatementDlg dlg(w.m_doc, w.m_platform, csv);
        auto* table = dlg.findChild<QTableView*>(QStringLiteral("rows"));
        const QAbstractItemView& view = *table; // its size hints are public there
        const auto choose = [&](int n, int index) {
            auto* column = dlg.findChild<QComboBox*>(QStringLiteral("column%1").arg(n));
            column->setCurrentIndex(index);
            emit column->activated(index);
        };
        choose(0, 0); // no date: nothing to show, the columns as wide as their names
        QCOMPARE(dlg.Model().rowCount(), 0);
        table->resizeColumnsToContents();
        dlg.resize(1600, 600); // room to spare for the columns
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        choose(0, 1);
        choose(1, 0);
        choose(2, 3);
        choose(3, 4);
        QCOMPARE(dlg.Model().rowCount(), 2);
        QCoreApplication::processEvents(); // the header's layout, as the window would show it
        for (const int c : {CStatementModel::DescriptionColumn, CStatementModel::AmountColumn}) {
            QVERIFY(table->columnWidth(c) >= view.sizeHintForColumn(c));
        }
        dlg.resize(1900, 600); // a window made wider gives the last column nothing it lacks
        QCoreApplication::processEvents();
        const int mark = CStatementModel::MarkColumn;
        QVERIFY(table->columnWidth(mark) <=
                std::max(view.sizeHintForColumn(mark),
                         table->horizontalHeader()->sectionSizeHint(mark)));
    }

    void csvStartsAsTheAccountsLastOneAndTheImportKeepsItsOwn() {
        // Each account chosen reads the CSV as its last one where that fits (and says so), else
        // guesses (saying why where one did not fit); the import keeps the reading the user
        // corrected as the account's, and its undo the one before.
        test::CCoreWorld w;
        CExpenseArticle* food = AddNode(w.m_doc, w.Root(), u"Еда", false)->AsArticle();
        CAccount* cardAccount = NewAccount(w.m_doc);
        cardAccount->AdjustBalance(5000);
        const ItemId card = cardAccount->m_nId;
        const ItemId cash = NewAccount(w.m_doc)->m_nId;
        const CsvMemo last{{.date = 0, .amount = 3, .description = 4, .id = 1},
                           {TextEncoding::Utf8, u';', u',', DateForm::DayMonthYearDots, 1, 0},
                           w.m_doc.Ids().Stamp()};
        w.m_doc.StatementMemory().SetCsv(card, last);
        w.m_doc.StatementMemory().SetCsv(
            cash,
            {{.date = 0, .amount = 9, .description = 1}, last.settings, w.m_doc.Ids().Stamp()});
        const test::CTempDir dir;
        const std::filesystem::path csv = dir.Path() / "bank.csv";
        QVERIFY(test::WriteText(csv, "Дата;Номер;Описание операции;Сумма;Место\n"
                                     "07.03.2026;A1;Пятёрочка у дома;-1 200,50;М\n"
                                     "08.03.2026;A2;Кофейня на углу;-180,00;П\n"));
        CStatementDlg dlg(w.m_doc, w.m_platform, csv);
        QVERIFY(dlg.Refusal().isEmpty());
        auto* account = dlg.findChild<QComboBox*>(QStringLiteral("account"));
        const auto* note = dlg.findChild<QLabel*>(QStringLiteral("csvNote"));
        const auto columns = [&] {
            QList<int> shown;
            for (int n = 0; n < 6; ++n) {
                shown.push_back(
                    dlg.findChild<QComboBox*>(QStringLiteral("column%1").arg(n))->currentIndex());
            }
            return shown;
        };
        // Shown from 1 after "нет": date, amount, debit, credit, description, id.
        const QList<int> remembered{1, 4, 0, 0, 5, 2};
        const QList<int> guessed{1, 4, 0, 0, 3, 2};
        const auto said = [&](unsigned text) {
            return note->text().startsWith(QText(text).arg(account->currentText()));
        };
        QCOMPARE(columns(), remembered);
        QVERIFY(said(IDS_STATEMENT_CSV_REMEMBERED));
        QCOMPARE(dlg.Model().Row(1).row.description, u"П");
        account->setCurrentIndex(1);
        QCOMPARE(columns(), guessed);
        QVERIFY(said(IDS_STATEMENT_CSV_MISFIT));
        account->setCurrentIndex(0);
        QCOMPARE(columns(), remembered);

        auto* idColumn = dlg.findChild<QComboBox*>(QStringLiteral("column5"));
        idColumn->setCurrentIndex(0);
        emit idColumn->activated(0);
        QVERIFY(note->text().isEmpty());
        dlg.SendRestTo(food);
        QVERIFY(dlg.Import());
        CsvMemo kept = last;
        kept.mapping.id = -1;
        QCOMPARE(w.m_doc.StatementMemory().CsvOf(card)->mapping, kept.mapping);
        QCOMPARE(w.m_doc.StatementMemory().CsvOf(card)->settings, kept.settings);
        w.m_doc.UndoChange();
        QCOMPARE(w.m_doc.StatementMemory().CsvOf(card)->mapping, last.mapping);
    }

    void balanceThatWouldWrapIsRefusedAndNothingChanges() {
        // A deposit past the balance's range is told in words and records nothing.
        test::CCoreWorld w;
        CAccount* card = NewAccount(w.m_doc);
        RenameAccount(w.m_doc, 0, u"Карта");
        card->AdjustBalance(2'147'483'000);
        const test::CTempDir dir;
        const std::filesystem::path qif = dir.Path() / "big.qif";
        QVERIFY(test::WriteText(qif, "!Type:Bank\nD2026-03-02\nT1000.00\nPВозврат\n^\n"));
        CStatementDlg dlg(w.m_doc, w.m_platform, qif);
        w.Forget();
        QVERIFY(!dlg.Import());
        QCOMPARE(card->Balance(), 2'147'483'000);
        QCOMPARE(w.m_doc.Movements().GetCount(), 0);
        QCOMPARE(w.m_platform.m_messages.size(), std::size_t{1});
        QVERIFY(QStr(w.m_platform.m_messages[0].text).contains(u"стал бы 2147484000"_qs));
    }

    void tabLeavesTheRowsForTheArticle() {
        // The rows come first with the focus, and Tab goes on to the article's field.
        test::CCoreWorld w;
        NewAccount(w.m_doc);
        const test::CTempDir dir;
        const std::filesystem::path qif = dir.Path() / "bank.qif";
        QVERIFY(test::WriteText(qif, "!Type:Bank\nD2026-03-02\nT-1.00\nPКофе\n^\n"));
        CStatementDlg dlg(w.m_doc, w.m_platform, qif);
        dlg.show();
        QVERIFY(QTest::qWaitForWindowActive(&dlg));
        auto* table = dlg.findChild<QTableView*>(QStringLiteral("rows"));
        QCOMPARE(QApplication::focusWidget(), table);
        QTest::keyClick(table, Qt::Key_Tab);
        QVERIFY(dlg.findChild<QComboBox*>(QStringLiteral("article"))
                    ->isAncestorOf(QApplication::focusWidget()));
    }

    void ofxRowsOrRefusalArriveWhileTheWindowWaits() {
        // The helper runs without holding the window: "reading" shows and the import waits,
        // then its rows fill the preview, or its refusal is told and the dialog closes.
        struct Case {
            const char* what;
            std::string helper;
            int rows;
            const char* message; // the refusal's start; null: none
        };
        const Case cases[] = {
            {"rows",
             "sleep 0.2; printf 'T\\t2026-03-02\\t-25040\\tF-1\\tМагнит\\t\\n"
             "T\\t2026-03-03\\t150000\\tF-2\\tЗарплата\\t\\nEND\\t2\\n'",
             2, nullptr},
            {"refused", "printf 'E\\t3\\tunclosed STMTTRN\\n'; exit 1", 0,
             "Выписка «bank.ofx» не прочитана.\n\nНе удалось прочитать выписку OFX: строка 3"},
            {"crashed", "kill -SEGV $$", 0, "Выписка «bank.ofx» не прочитана."},
        };
        for (const Case& c : cases) {
            OfxWorld w(c.helper);
            CStatementDlg dlg(w.m_doc, w.m_platform, w.ofx);
            QVERIFY2(dlg.Refusal().isEmpty() && dlg.Reading(), c.what);
            QCOMPARE(dlg.findChild<QLabel*>(QStringLiteral("noArticle"))->text(),
                     u"Чтение выписки «bank.ofx»…"_qs);
            QVERIFY(!dlg.findChild<QPushButton*>(QStringLiteral("import"))->isEnabled());
            dlg.show();
            QTRY_VERIFY2(!dlg.Reading(), c.what);
            QCOMPARE(dlg.Model().rowCount(), c.rows);
            QCOMPARE(w.m_platform.m_messages.size(), std::size_t{c.message != nullptr ? 1U : 0U});
            if (c.message != nullptr) {
                QVERIFY2(
                    QStr(w.m_platform.m_messages[0].text).startsWith(QString::fromUtf8(c.message)),
                    c.what);
                QVERIFY(!dlg.isVisible());
                QCOMPARE(dlg.result(), int(QDialog::Rejected));
                continue;
            }
            QCOMPARE(dlg.Model().Row(1).row.bankId, u"F-2");
            QCOMPARE(dlg.Model().Row(1).row.line, std::size_t{4});
            auto* table = dlg.findChild<QTableView*>(QStringLiteral("rows"));
            QCOMPARE(table->currentIndex().row(), 0);
            QVERIFY(!dlg.findChild<QLabel*>(QStringLiteral("noArticle"))
                         ->text()
                         .startsWith(u"Чтение"_qs));
        }
    }

    void escapeWhileAHungHelperReadsClosesAndKillsIt() {
        // A helper that never ends holds nothing: the window answers, Esc closes it at once,
        // the helper is killed and its would-be result never shows.
        QElapsedTimer clock;
        clock.start();
        OfxWorld w("echo $$ > \"$0.pid\"; exec sleep 30");
        CStatementDlg dlg(w.m_doc, w.m_platform, w.ofx);
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        const std::filesystem::path pidFile = w.dir.Path() / "tamblero-ofx.pid";
        QTRY_VERIFY(std::filesystem::exists(pidFile) && std::filesystem::file_size(pidFile) > 0);
        const pid_t pid = static_cast<pid_t>(std::stol(test::ReadText(pidFile)));
        QVERIFY(::kill(pid, 0) == 0);
        QTest::keyClick(&dlg, Qt::Key_Escape);
        QVERIFY(!dlg.isVisible() && !dlg.Reading());
        QCOMPARE(::kill(pid, 0), -1); // gone, and reaped
        QTest::qWait(100);
        QCOMPARE(dlg.Model().rowCount(), 0);
        QVERIFY(w.m_platform.m_messages.empty());
        QVERIFY(clock.elapsed() < 10'000);
    }

    void refusesGarbageWithItsReason() {
        // A statement no reader takes is refused with a message naming the file.
        test::CCoreWorld w;
        NewAccount(w.m_doc);
        const test::CTempDir dir;
        const std::filesystem::path qif = dir.Path() / "bad.qif";
        QVERIFY(test::WriteText(qif, "!Type:Bank\nDnot a day\nT-1\n^\n"));
        const CStatementDlg dlg(w.m_doc, w.m_platform, qif);
        QVERIFY(dlg.Refusal().startsWith(u"Выписка «bad.qif» не прочитана."_qs));
    }
};

QTEST_MAIN(StatementDlgTest)
#include "StatementDlgTest.moc"
