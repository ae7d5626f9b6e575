#include "bankimport/StatementImport.h"
#include "app/core/DocumentChanges.h"
#include "app/platform/Utf.h"
#include "bankimport/CsvGuess.h"
#include "bankimport/StatementFile.h"
#include "model/Account.h"
#include "model/CategoryNode.h"
#include "statement/RuleChanges.h"
#include "statement/Rules.h"
#include "tests/support/CoreWorld.h"
#include "tests/support/Files.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <limits>

namespace tamblero {
namespace {

using test::CCoreWorld;

StatementRow Row(int day, std::int64_t hundredths, std::u16string description,
                 std::u16string bankId = {}) {
    StatementRow row;
    row.day = DayNumberFromDate(2026, 3, day);
    row.hundredths = hundredths;
    row.description = std::move(description);
    row.bankId = std::move(bankId);
    row.line = static_cast<std::size_t>(day);
    return row;
}

// A document with the articles "Еда" and "Прочее", an account "Карта" holding 1000 and a rule
// that sends "Магнит" to "Еда".
struct World {
    CCoreWorld w;
    CExpenseArticle* food = AddNode(w.m_doc, w.Root(), u"Еда", false)->AsArticle();
    CExpenseArticle* other = AddNode(w.m_doc, w.Root(), u"Прочее", false)->AsArticle();
    CAccount* card = [this] {
        CAccount* account = NewAccount(w.m_doc);
        RenameAccount(w.m_doc, 0, u"Карта");
        account->AdjustBalance(1000);
        return account;
    }();

    World() {
        w.m_doc.MakeChange(
            std::make_unique<CAddRule>(w.m_doc.StatementMemory(), w.m_doc.Ids(),
                                       StatementRule{RuleWords(u"Магнит"), food->m_nId, {}, {}}));
        w.Forget();
    }
    ImportResult Import(std::vector<StatementRow> rows) {
        return ImportStatement(w.m_doc, PlanImport(w.m_doc, *card, std::move(rows), other));
    }
    [[nodiscard]] int Entries(const CExpenseArticle& article) const {
        int count = 0;
        for (const auto& [day, list] : article.Days()) {
            count += list.GetCount();
        }
        return count;
    }
};

const std::vector<StatementRow> kStatement = {Row(2, -12050, u"МАГНИТ 1234", u"A1"),
                                              Row(3, 50000, u"Зарплата", u"A2"),
                                              Row(4, -3000, u"Кино")};

TEST(StatementImport, UndoTakesTheWholeImportBackAndRedoRestoresItWithTheSameIds) {
    // One undo leaves the document as before the import, bank ids forgotten; redo brings every
    // row back as the first import made it, ids and all.
    World s;
    const auto before = test::UserBytes(s.w.m_doc);
    const auto idsBefore = s.w.m_doc.LiveIds();
    const std::size_t done = s.w.m_doc.Changes().DoneCount();
    ASSERT_EQ(s.Import(kStatement), ImportResult::Imported);
    EXPECT_EQ(s.w.m_doc.Changes().DoneCount(), done + 1);
    const auto after = test::UserBytes(s.w.m_doc);
    const auto idsAfter = s.w.m_doc.LiveIds();
    EXPECT_EQ(s.Entries(*s.food), 1);  // by the rule
    EXPECT_EQ(s.Entries(*s.other), 1); // the rest
    EXPECT_EQ(s.card->Balance(), 1000 - 121 + 500 - 30);
    EXPECT_EQ(s.w.m_doc.StatementMemory().ImportedInto(s.card->m_nId).size(), 2U);

    s.w.m_doc.UndoChange();
    EXPECT_EQ(test::UserBytes(s.w.m_doc), before);
    EXPECT_EQ(s.w.m_doc.LiveIds(), idsBefore);
    EXPECT_TRUE(s.w.m_doc.StatementMemory().ImportedInto(s.card->m_nId).empty());
    EXPECT_EQ(s.w.m_doc.Changes().DoneCount(), done);

    s.w.m_doc.RedoChange();
    EXPECT_EQ(test::UserBytes(s.w.m_doc), after);
    EXPECT_EQ(s.w.m_doc.LiveIds(), idsAfter);
    EXPECT_EQ(s.w.m_doc.StatementMemory().ImportedInto(s.card->m_nId).size(), 2U);
    EXPECT_TRUE(s.w.m_doc.IdsValid());
}

TEST(StatementImport, RulesTaughtInThePreviewComeAndGoWithTheImport) {
    // The rules learnt with an import are added by it and taken back by its undo, one step.
    World s;
    const std::vector<StatementRule> before = s.w.m_doc.StatementMemory().Rules().Rules();
    const StatementRule cinema{RuleWords(u"Кино"), s.other->m_nId, {}, {}};
    ASSERT_EQ(
        ImportStatement(s.w.m_doc, PlanImport(s.w.m_doc, *s.card, kStatement, s.other), {cinema}),
        ImportResult::Imported);
    const std::vector<StatementRule> after = s.w.m_doc.StatementMemory().Rules().Rules();
    ASSERT_EQ(after.size(), before.size() + 1);
    EXPECT_EQ(after.back().words, cinema.words);
    EXPECT_EQ(after.back().article, cinema.article);
    EXPECT_TRUE(s.w.m_doc.IdsValid()); // the rule has an id of its own
    s.w.m_doc.UndoChange();
    EXPECT_EQ(s.w.m_doc.StatementMemory().Rules().Rules(), before);
    s.w.m_doc.RedoChange();
    const std::vector<StatementRule> again = s.w.m_doc.StatementMemory().Rules().Rules();
    ASSERT_EQ(again.size(), after.size());
    EXPECT_EQ(again.back().id, after.back().id);
    EXPECT_TRUE(s.w.m_doc.IdsValid());
}

TEST(StatementImport, TheCsvReadingIsTheAccountsWithTheImportAndItsUndoGivesBackTheOneBefore) {
    // Each import's reading becomes the account's; its undo gives back the one before (none at
    // first), stamped later than the reading it takes back, so that a merge keeps the undoing;
    // an import through the reading the account has leaves its stamp.
    World s;
    CStatementMemory& memory = s.w.m_doc.StatementMemory();
    const ItemId card = s.card->m_nId;
    const auto import = [&](std::vector<StatementRow> rows, int amount) {
        return ImportStatement(s.w.m_doc, PlanImport(s.w.m_doc, *s.card, std::move(rows), s.other),
                               {},
                               CsvMemo{{.date = 0, .amount = amount, .description = 1}, {}, {}});
    };
    ASSERT_EQ(import({Row(5, -100, u"a")}, 2), ImportResult::Imported);
    const CsvMemo first = *memory.CsvOf(card);
    EXPECT_EQ(first.mapping.amount, 2);
    ASSERT_EQ(import({Row(6, -100, u"b")}, 3), ImportResult::Imported);
    const CStamp second = memory.CsvOf(card)->stamp;
    EXPECT_GT(second, first.stamp);

    s.w.m_doc.UndoChange();
    EXPECT_EQ(memory.CsvOf(card)->mapping, first.mapping);
    EXPECT_GT(memory.CsvOf(card)->stamp, second);
    s.w.m_doc.UndoChange();
    EXPECT_EQ(memory.CsvOf(card), nullptr);
    EXPECT_EQ(memory.AllCsv().size(), 1U); // what a merge needs to keep it forgotten
    s.w.m_doc.RedoChange();
    const CStamp redone = memory.CsvOf(card)->stamp;
    ASSERT_EQ(import({Row(7, -100, u"c")}, 2), ImportResult::Imported); // as it stands
    EXPECT_EQ(memory.CsvOf(card)->stamp, redone);
}

TEST(CsvStart, TheRememberedEncodingYieldsToWhatTheBytesShowAndToTheOneGiven) {
    // Each row: the file's bytes, the encoding remembered, the one given, the one read with.
    struct Case {
        std::string_view bytes;
        TextEncoding remembered;
        std::optional<TextEncoding> given;
        TextEncoding used;
    };
    for (const Case& c :
         {Case{"01.03.2026;x;-1", TextEncoding::Cp1251, {}, TextEncoding::Cp1251},
          Case{"01.03.2026;\xCA\xE0\xF4\xE5;-1", TextEncoding::Utf8, {}, TextEncoding::Cp1251},
          Case{"01.03.2026;Кафе;-1", TextEncoding::Cp1251, {}, TextEncoding::Utf8},
          Case{"\xEF\xBB\xBF"
               "01.03.2026;x;-1",
               TextEncoding::Utf8,
               {},
               TextEncoding::Utf8Bom},
          Case{"01.03.2026;Кафе;-1", TextEncoding::Utf8, TextEncoding::Cp1251,
               TextEncoding::Cp1251}}) {
        CsvSettings remembered;
        remembered.encoding = c.remembered;
        EXPECT_EQ(RememberedOptions(remembered, {.encoding = c.given}, c.bytes).encoding, c.used)
            << c.bytes;
    }
}

TEST(CsvStart, TheRowsBeforeTheOperationsAreFoundInEachStatement) {
    // After a statement with two rows before its operations, one with a single such row reads
    // every operation: none is passed over.
    const CsvMemo last{{.date = 0, .amount = 2, .description = 1},
                       {TextEncoding::Utf8, u';', u',', DateForm::DayMonthYearDots, 2, 0},
                       {}};
    const std::string_view next = "Дата;Описание;Сумма\n01.03.2026;a;-1\n02.03.2026;b;-2\n";
    const std::optional<CsvOptions> fit = FitRemembered(next, last, {});
    ASSERT_TRUE(fit);
    EXPECT_EQ(ReadCsv(next, last.mapping, *fit).read.rows.size(), 2U);
}

TEST(StatementImport, AnOutgoingRowsArticleIsTheRulesElseItsCategoryElseTheOneForTheRest) {
    // Each row: the statement's row and the article it is planned to (none for a deposit).
    World s;
    CExpenseGroup* home = AddNode(s.w.m_doc, s.w.Root(), u"Дом", true)->AsGroup();
    CExpenseArticle* light = AddNode(s.w.m_doc, *home, u"Свет", false)->AsArticle();
    const auto withCategory = [](StatementRow row, std::u16string category) {
        row.category = std::move(category);
        return row;
    };
    const std::pair<StatementRow, CExpenseArticle*> cases[] = {
        {withCategory(Row(1, -100, u"Магнит у дома"), u"Дом / Свет"), s.food},
        {withCategory(Row(1, -100, u"Мосэнерго"), u"Дом / Свет"), light},
        {withCategory(Row(1, -100, u"Мосэнерго"), u"Дом:Свет"), light},
        {withCategory(Row(1, -100, u"Мосэнерго"), u"Дом"), s.other},
        {Row(1, -100, u"Аптека"), s.other},
        {Row(1, 100, u"Магнит возврат"), nullptr},
    };
    for (const auto& [row, article] : cases) {
        const ImportPlan plan = PlanImport(s.w.m_doc, *s.card, {row}, s.other);
        EXPECT_EQ(plan.rows.front().article, article) << Utf8FromUtf16(row.category);
    }
}

TEST(StatementImport, ARuleFollowsItsArticleMergedIntoAnotherAndBackOnUndo) {
    // Each step, a change of the tree or an undo, and the article the rule for "Магнит" plans
    // its row to: the one that took its article by a merge, along a chain of merges; none once
    // its article is deleted outright. The rule itself keeps the id it was given.
    World s;
    CExpenseArticle* light = AddNode(s.w.m_doc, s.w.Root(), u"Свет", false)->AsArticle();
    const ItemId food = s.food->m_nId;
    const ItemId other = s.other->m_nId;
    const ItemId lightId = light->m_nId;
    CVerdalonDoc& doc = s.w.m_doc;
    const auto article = [&](ItemId id) { return FindNodeWithId(*doc.GetRoot(), id)->AsArticle(); };
    const std::pair<std::function<void()>, ItemId> steps[] = {
        {[&] { MergeArticles(doc, *article(food), *article(lightId)); }, lightId},
        {[&] { MergeArticles(doc, *article(lightId), *article(other)); }, other},
        {[&] { doc.UndoChange(); }, lightId},
        {[&] { doc.UndoChange(); }, food},
        {[&] { DeleteNode(doc, *article(food)); }, kNoId},
        {[&] { doc.UndoChange(); }, food},
    };
    int step = 0;
    for (const auto& [change, expected] : steps) {
        change();
        const ImportPlan plan = PlanImport(doc, *s.card, {Row(1, -100, u"Магнит")});
        const CExpenseArticle* planned = plan.rows.front().article;
        EXPECT_EQ(planned != nullptr ? planned->m_nId : kNoId, expected) << step++;
        EXPECT_EQ(doc.StatementMemory().Rules().Rules().front().article, food);
    }
}

TEST(StatementImport, NoRuleIsOfferedForTheArticleAMergedArticlesRuleAlreadyGives) {
    // Choosing the article that took the rule's article by a merge teaches nothing new.
    World s;
    CExpenseArticle* light = AddNode(s.w.m_doc, s.w.Root(), u"Свет", false)->AsArticle();
    MergeArticles(s.w.m_doc, *s.food, *light);
    const CRuleArticles articles(*s.w.m_doc.GetRoot(), s.w.m_doc.Ids());
    const CRuleList& rules = s.w.m_doc.StatementMemory().Rules();
    EXPECT_FALSE(rules.Proposal(u"Магнит", -5, light->m_nId, &articles));
    EXPECT_TRUE(rules.Proposal(u"Магнит", -5, s.other->m_nId, &articles));
}

TEST(StatementImport, AnUndoThatWouldTakeTheBalanceOutOfRangeIsRefused) {
    // The import names its net change of the balance, so the stack refuses to undo it where the
    // balance moved meanwhile so far that it would wrap.
    World s;
    ASSERT_EQ(s.Import(kStatement), ImportResult::Imported); // 349 in, net
    const std::size_t done = s.w.m_doc.Changes().DoneCount();
    s.card->AdjustBalance(WrapAdd(std::numeric_limits<Amount>::min(), -s.card->Balance() + 100));
    s.w.m_doc.UndoChange();
    EXPECT_EQ(s.w.m_doc.Changes().DoneCount(), done);
    EXPECT_EQ(s.card->Balance(), std::numeric_limits<Amount>::min() + 100);
}

TEST(StatementImport, AnIncomingRowIsADepositIntoTheAccountWithTheBankWordsAsItsNote) {
    // The movement has no source, the account as target, the rounded amount and the note.
    World s;
    ASSERT_EQ(s.Import({Row(5, 1050, u"Возврат")}), ImportResult::Imported);
    ASSERT_EQ(s.w.m_doc.Movements().GetCount(), 1);
    const CMovement& m = s.w.m_doc.Movements().GetAt(0);
    EXPECT_EQ(m.m_pFrom, nullptr);
    EXPECT_EQ(m.m_pTo, s.card);
    EXPECT_FALSE(m.m_bTransfer);
    EXPECT_EQ(m.m_nAmount, 11);
    EXPECT_EQ(m.m_strNote, u"Возврат (10,50)");
    EXPECT_EQ(s.Entries(*s.other), 0);
}

TEST(StatementImport, TheSameStatementImportedAgainAddsNothing) {
    // Each row of a statement already imported is unchecked: by its bank id where it has one,
    // else as the same operation (amount, day within three, note).
    World s;
    ASSERT_EQ(s.Import(kStatement), ImportResult::Imported);
    const ImportPlan again = PlanImport(s.w.m_doc, *s.card, kStatement, s.other);
    const Duplicate expected[] = {Duplicate::SameBankId, Duplicate::SameBankId,
                                  Duplicate::SameOperation};
    for (std::size_t i = 0; i < again.rows.size(); ++i) {
        EXPECT_FALSE(again.rows[i].checked) << i;
        EXPECT_EQ(again.rows[i].duplicate, expected[i]) << i;
    }
    EXPECT_EQ(ImportStatement(s.w.m_doc, again), ImportResult::Nothing);
    // Once the import is undone, its rows are new again.
    s.w.m_doc.UndoChange();
    EXPECT_EQ(PlanImport(s.w.m_doc, *s.card, kStatement, s.other).CheckedCount(), 3U);
}

TEST(StatementImport, ABankIdCountsWhileAnExpenseOrDepositItRecordedIsLeft) {
    // Each case, after importing the first two rows (bank ids A1, A2): what happens next and
    // how many of them a second import records; that import is then recorded once: a third
    // finds nothing new, and the expense and the deposit are there once each, where recorded.
    struct Case {
        const char* what;
        std::function<void(World&)> then;
        std::size_t recordedAgain;
        int expenses = 1;
    };
    const Case cases[] = {
        {"nothing", [](World&) {}, 0},
        {"the import undone", [](World& s) { s.w.m_doc.UndoChange(); }, 2},
        {"its expense deleted by hand",
         [](World& s) {
             const DayNumber day = kStatement[0].day;
             ASSERT_TRUE(UndoExpense(s.w.m_doc, *s.food, day, s.food->FindDay(day)->GetAt(0), 0));
         },
         1},
        {"undone, the ids remembered without items as an earlier version did",
         [](World& s) {
             s.w.m_doc.UndoChange();
             s.w.m_doc.StatementMemory().Remember(s.card->m_nId, u"A1");
         },
         1, 0},
    };
    const std::vector<StatementRow> rows(kStatement.begin(), kStatement.begin() + 2);
    for (const Case& c : cases) {
        World s;
        ASSERT_EQ(s.Import(rows), ImportResult::Imported);
        c.then(s);
        EXPECT_EQ(PlanImport(s.w.m_doc, *s.card, rows, s.other).CheckedCount(), c.recordedAgain)
            << c.what;
        if (c.recordedAgain != 0) {
            EXPECT_EQ(s.Import(rows), ImportResult::Imported) << c.what;
        }
        EXPECT_EQ(PlanImport(s.w.m_doc, *s.card, rows, s.other).CheckedCount(), 0U) << c.what;
        EXPECT_EQ(s.Entries(*s.food), c.expenses) << c.what;
        EXPECT_EQ(s.w.m_doc.Movements().GetCount(), 1) << c.what;
        EXPECT_TRUE(s.w.m_doc.IdsValid()) << c.what;
    }
}

TEST(StatementImport, RowsWithoutAnArticleRefuseTheImportUnlessOneIsGiven) {
    // Without the article for the rest, the outgoing rows no rule names hold the import back.
    World s;
    const std::size_t done = s.w.m_doc.Changes().DoneCount();
    const ImportPlan plan = PlanImport(s.w.m_doc, *s.card, kStatement, nullptr);
    EXPECT_EQ(plan.LinesWithoutArticle(), std::vector<std::size_t>{4});
    EXPECT_EQ(ImportStatement(s.w.m_doc, plan), ImportResult::NoArticle);
    EXPECT_EQ(s.w.m_doc.Changes().DoneCount(), done);
}

TEST(StatementImport, AnImportThatWouldTakeTheBalanceOutOfRangeIsRefusedWhole) {
    // Each row: the balance before, the statement's rows; nothing is recorded, the user told.
    struct Case {
        Amount balance;
        std::vector<StatementRow> rows;
    };
    const Amount max = std::numeric_limits<Amount>::max();
    const Amount min = std::numeric_limits<Amount>::min();
    const Case cases[] = {
        {max - 100, {Row(1, 10100, u"Зарплата")}},
        {min + 100, {Row(1, -5000, u"Кино"), Row(2, -6000, u"Кино")}},
        // Within range only after the deposit that follows: the sum is what counts.
        {max - 10, {Row(1, 2000, u"Зарплата"), Row(2, 2000, u"Премия"), Row(3, -1000, u"Кино")}},
    };
    for (const Case& c : cases) {
        World s;
        s.card->AdjustBalance(WrapAdd(c.balance, -1000));
        const auto before = test::UserBytes(s.w.m_doc);
        EXPECT_EQ(s.Import(c.rows), ImportResult::BalanceRange) << c.balance;
        EXPECT_EQ(test::UserBytes(s.w.m_doc), before);
        EXPECT_EQ(s.w.m_platform.m_messages.size(), 1U);
    }
}

TEST(StatementFile, AStatementOverTheLimitIsRefusedBySizeUnread) {
    // A sparse file past kMaxStatementBytes is refused by its size, naming it.
    test::CTempDir dir;
    const auto path = dir.Path() / "huge.csv";
    std::ofstream(path) << "x";
    std::filesystem::resize_file(path, kMaxStatementBytes + 1);
    const StatementFile file = ReadStatementFile(path, {});
    ASSERT_FALSE(file.read.Ok());
    EXPECT_EQ(file.read.error->text, IDS_STATEMENT_TOO_LARGE);
    EXPECT_EQ(file.read.error->element, u"67108865");
}

TEST(StatementFile, TheFormatIsToldByTheContentFirstThenByTheName) {
    // Each row: the name, the opening bytes, the format told.
    struct Case {
        const char* name;
        const char* bytes;
        StatementFormat format;
    };
    const Case cases[] = {
        {"a.csv", "!Type:Bank\n", StatementFormat::Qif},
        {"a.txt", "\xEF\xBB\xBF\n!Type:CCard\n", StatementFormat::Qif},
        {"a.qif", "D01/02/2026\n", StatementFormat::Qif},
        {"a.dat", "OFXHEADER:100\n", StatementFormat::Ofx},
        {"a.xml", "<?xml version=\"1.0\"?><?OFX OFXHEADER=\"200\"?>", StatementFormat::Ofx},
        {"a.QFX", "", StatementFormat::Ofx},
        {"a.csv", "Дата;Сумма\n", StatementFormat::Csv},
        {"statement", "date,amount\n", StatementFormat::Csv},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DetectStatementFormat(c.name, c.bytes), c.format) << c.name << ' ' << c.bytes;
    }
}

} // namespace
} // namespace tamblero
