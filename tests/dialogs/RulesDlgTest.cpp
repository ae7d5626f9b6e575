// The rules' window shows the rules in order and makes each change one undoable command.
#include "dialogs/RulesDlg.h"
#include "app/core/DocumentChanges.h"
#include "dialogs/RulesModel.h"
#include "model/CategoryNode.h"
#include "statement/RuleChanges.h"
#include "tests/support/CoreWorld.h"

#include <QAbstractItemModelTester>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QtTest>

#include <functional>

using namespace tamblero;

namespace {

// Three rules: "магнит" -> Еда, "аптека" 100.. -> Здоровье, "такси" ..500 -> an article deleted.
struct World : test::CCoreWorld {
    World() {
        food = AddNode(m_doc, Root(), u"Еда", false)->AsArticle();
        CExpenseGroup* family = AddNode(m_doc, Root(), u"Семья", true)->AsGroup();
        health = AddNode(m_doc, *family, u"Здоровье", false)->AsArticle();
        Add(u"Магнит", food->m_nId, {}, {});
        Add(u"Аптека", health->m_nId, 100, {});
        Add(u"Такси", 999999, {}, 500);
    }
    void Add(std::u16string_view words, ItemId article, std::optional<Amount> least,
             std::optional<Amount> most) {
        m_doc.MakeChange(
            std::make_unique<CAddRule>(m_doc.StatementMemory(), m_doc.Ids(),
                                       StatementRule{RuleWords(words), article, least, most}));
    }
    [[nodiscard]] QStringList Words() const {
        QStringList out;
        for (const StatementRule& rule : m_doc.StatementMemory().Rules().Rules()) {
            out << QString::fromStdU16String(RuleTitle(rule));
        }
        return out;
    }
    CExpenseArticle* food = nullptr;
    CExpenseArticle* health = nullptr;
};

QTableView* Table(CRulesDlg& dlg) {
    return dlg.findChild<QTableView*>(QStringLiteral("rules"));
}

QPushButton* ButtonNamed(CRulesDlg& dlg, const char* name) {
    return dlg.findChild<QPushButton*>(QString::fromLatin1(name));
}

} // namespace

class RulesDlgTest final : public QObject {
    Q_OBJECT
private slots:
    void modelShowsEachRuleInOrder() {
        // Each row: the words, the article's path or the deleted mark, the range's text.
        World w;
        CRulesDlg dlg(w.m_doc);
        CRulesModel& model = dlg.Model();
        QAbstractItemModelTester tester(&model,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        QCOMPARE(model.rowCount(), 3);
        const auto cell = [&](int row, int column, int role = Qt::DisplayRole) {
            return model.index(row, column).data(role);
        };
        struct Case {
            int row;
            QString words, article, range;
        };
        for (const Case& c : {Case{0, u"магнит"_qs, u"Еда"_qs, QString()},
                              Case{1, u"аптека"_qs, u"Семья / Здоровье"_qs, u"от 100"_qs},
                              Case{2, u"такси"_qs, u"(статья удалена)"_qs, u"до 500"_qs}}) {
            QCOMPARE(cell(c.row, CRulesModel::WordsColumn).toString(), c.words);
            QCOMPARE(cell(c.row, CRulesModel::ArticleColumn).toString(), c.article);
            QCOMPARE(cell(c.row, CRulesModel::RangeColumn).toString(), c.range);
        }
        QCOMPARE(cell(1, CRulesModel::ArticleColumn, CRulesModel::RawValueRole).toULongLong(),
                 w.health->m_nId);
        StatementRule both;
        both.least = 100;
        both.most = 500;
        QCOMPARE(RuleRangeText(both), u"100–500"_qs);
    }

    void aMergedArticleShowsTheArticleThatTookIt() {
        // Each step, a change of the tree or its undo, and the article the first rule shows and
        // its editor offers: the one its article was merged into, its own again after the
        // undo, none once deleted.
        World w;
        const ItemId food = w.food->m_nId;
        const auto article = [&] { return FindNodeWithId(w.Root(), food)->AsArticle(); };
        struct Step {
            std::function<void()> change;
            QString shown;
            ItemId offered;
        };
        const Step steps[] = {
            {[&] { MergeArticles(w.m_doc, *article(), *w.health); }, u"Семья / Здоровье"_qs,
             w.health->m_nId},
            {[&] { w.m_doc.UndoChange(); }, u"Еда"_qs, food},
            {[&] { DeleteNode(w.m_doc, *article()); }, u"(статья удалена)"_qs, kNoId},
        };
        for (const Step& step : steps) {
            step.change();
            CRulesDlg dlg(w.m_doc);
            QCOMPARE(dlg.Model().index(0, CRulesModel::ArticleColumn).data().toString(),
                     step.shown);
            const CRuleEditDlg edit(w.m_doc, w.m_doc.StatementMemory().Rules().Rules().front());
            QCOMPARE(edit.Article(), step.offered);
        }
    }

    void opensWithTheFirstRuleSelectedAndTheRangeWhole() {
        // At open the first rule is selected, so its buttons work at once; a narrow window
        // narrows the words, never the range; without rules nothing is offered.
        World w;
        w.Add(u"Перевод по номеру телефона через систему быстрых платежей", w.food->m_nId,
              1'000'000, 2'000'000);
        CRulesDlg dlg(w.m_doc);
        QCOMPARE(SelectedRow(*Table(dlg)), 0);
        QCOMPARE(Table(dlg)->currentIndex().row(), 0);
        for (const char* name : {"edit", "delete", "down"}) {
            QVERIFY2(ButtonNamed(dlg, name)->isEnabled(), name);
        }
        QVERIFY(!ButtonNamed(dlg, "up")->isEnabled());
        const QHeaderView& header = *Table(dlg)->horizontalHeader();
        const auto rangeWhole = [&] {
            return header.sectionSize(CRulesModel::RangeColumn) >=
                       Table(dlg)->fontMetrics().horizontalAdvance(u"1000000–2000000"_qs) &&
                   header.sectionViewportPosition(CRulesModel::RangeColumn) +
                           header.sectionSize(CRulesModel::RangeColumn) <=
                       Table(dlg)->viewport()->width();
        };
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        QVERIFY(rangeWhole());
        const int narrower = Table(dlg)->width() * 3 / 4;
        dlg.resize(dlg.width() * 3 / 4, dlg.height());
        QTRY_VERIFY(Table(dlg)->width() <= narrower);
        QVERIFY(rangeWhole());

        test::CCoreWorld empty;
        CRulesDlg none(empty.m_doc);
        QCOMPARE(SelectedRow(*Table(none)), -1);
        QVERIFY(!ButtonNamed(none, "edit")->isEnabled());
    }

    void moveUpThenUndoRestoresTheOrder() {
        // "Выше" is one command: the order changes, and the window's Ctrl+Z takes it back.
        World w;
        CRulesDlg dlg(w.m_doc);
        QPushButton* up = ButtonNamed(dlg, "up");
        Table(dlg)->selectRow(0);
        QVERIFY(!up->isEnabled()); // the top row goes no higher
        Table(dlg)->selectRow(2);
        QVERIFY(up->isEnabled());
        up->click();
        QCOMPARE(w.Words(), (QStringList{u"магнит"_qs, u"такси"_qs, u"аптека"_qs}));
        QCOMPARE(SelectedRow(*Table(dlg)), 1); // the moved rule stays selected
        dlg.show();
        QVERIFY(QTest::qWaitForWindowActive(&dlg));
        QTest::keySequence(&dlg, QKeySequence::Undo);
        QCOMPARE(w.Words(), (QStringList{u"магнит"_qs, u"аптека"_qs, u"такси"_qs}));
        QCOMPARE(dlg.Model().index(2, 0).data().toString(), u"такси"_qs);
    }

    void deleteThenUndoBringsTheRuleBackWithItsId() {
        // The Delete key deletes without asking; the undo puts back the same rule, id and all.
        World w;
        CRulesDlg dlg(w.m_doc);
        dlg.show();
        QVERIFY(QTest::qWaitForWindowActive(&dlg));
        const StatementRule before = w.m_doc.StatementMemory().Rules().Rules()[1];
        Table(dlg)->setFocus();
        Table(dlg)->selectRow(1);
        QTest::keyClick(Table(dlg), Qt::Key_Delete);
        QCOMPARE(w.Words(), (QStringList{u"магнит"_qs, u"такси"_qs}));
        w.m_doc.UndoChange();
        QCOMPARE(w.m_doc.StatementMemory().Rules().Rules()[1].id, before.id);
        QCOMPARE(w.m_doc.StatementMemory().Rules().Rules()[1].words, before.words);
    }

    void editChangesWordsArticleAndRange() {
        // Enter's form: its words, article and range become the rule's, as one undoable change.
        World w;
        CRulesDlg dlg(w.m_doc);
        dlg.SetEditRunner([](QDialog& form) {
            form.findChild<QLineEdit*>(QStringLiteral("words"))->setText(u"Аптека  Ригла 24"_qs);
            auto* article = form.findChild<QComboBox*>(QStringLiteral("article"));
            article->setCurrentIndex(article->findText(u"Еда"_qs, Qt::MatchEndsWith));
            form.findChild<QLineEdit*>(QStringLiteral("most"))->setText(u"700"_qs);
            return int(QDialog::Accepted);
        });
        dlg.show();
        QVERIFY(QTest::qWaitForWindowActive(&dlg));
        Table(dlg)->setFocus();
        Table(dlg)->selectRow(1);
        QTest::keyClick(Table(dlg), Qt::Key_Return); // Enter edits, as "Изменить..." does
        QVERIFY(dlg.isVisible());                    // and does not close the window
        const StatementRule& rule = w.m_doc.StatementMemory().Rules().Rules()[1];
        QCOMPARE(rule.words, (std::vector<std::u16string>{u"аптека", u"ригла"}));
        QCOMPARE(rule.article, w.food->m_nId);
        QCOMPARE(rule.least, std::optional<Amount>(100));
        QCOMPARE(rule.most, std::optional<Amount>(700));
        QCOMPARE(dlg.Model().index(1, CRulesModel::RangeColumn).data().toString(), u"100–700"_qs);
        w.m_doc.UndoChange();
        QCOMPARE(w.m_doc.StatementMemory().Rules().Rules()[1].article, w.health->m_nId);
    }
};

QTEST_MAIN(RulesDlgTest)
#include "RulesDlgTest.moc"
