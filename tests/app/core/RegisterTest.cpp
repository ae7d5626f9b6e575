// An account's register lists every deposit, transfer and expense of the account oldest first,
// opens at what the account held before them so that it ends at the balance, and takes back
// what a row shows; a deleted account takes its own movements and leaves its name on the
// others.
#include "app/core/Register.h"
#include "app/core/DocumentChanges.h"
#include "model/CategoryNode.h"
#include "storage/VerdalonDoc.h"
#include "tests/support/CoreWorld.h"

#include <gtest/gtest.h>

#include <string>

namespace tamblero {
namespace {

// "kind other amount balance note" per row.
std::vector<std::u16string> Shown(const CVerdalonDoc& doc, const CAccount& account) {
    std::vector<std::u16string> out;
    const CRegister reg(doc, account);
    for (const RegisterRow& row : reg.Rows()) {
        std::u16string line = RegisterKindText(row.kind) + u" " + RegisterOther(doc, row);
        for (const std::int64_t n : {row.amount, row.balance}) {
            const std::string digits = std::to_string(n);
            line += u" " + std::u16string(digits.begin(), digits.end());
        }
        out.push_back(line + u" " + RegisterNote(doc, row));
    }
    return out;
}

class RegisterTest : public ::testing::Test {
protected:
    void SetUp() override {
        // As from an older file: 1,000 left after a lunch paid before movements were kept.
        m_card = m_w.m_doc.Accounts().CreateAccount(&kCard);
        m_cash = m_w.m_doc.Accounts().CreateAccount(&kCash);
        m_food = m_w.Root().AddGroup(u"Еда")->AddArticle(u"Обед");
        m_food->AddEntry(148000, 200, m_card);
        m_card->AdjustBalance(1200);
    }

    const std::u16string kCard = u"Карта";
    const std::u16string kCash = u"Наличные";
    test::CCoreWorld m_w;
    CAccount* m_card = nullptr;
    CAccount* m_cash = nullptr;
    CExpenseArticle* m_food = nullptr;
};

TEST_F(RegisterTest, RowsRunFromTheOpeningToTheBalance) {
    CVerdalonDoc& doc = m_w.m_doc;
    MoveMoney(doc, {148005, -1, 0, 500, u"зарплата"});
    MoveMoney(doc, {148002, 0, 1, 300, {}});
    MoveMoney(doc, {148002, 1, 0, 50, u"сдача"});
    ASSERT_TRUE(AddExpense(doc, *m_food, {148002, 70, 0, u"кофе"}));
    EXPECT_EQ(m_card->Balance(), 1000 + 500 - 300 + 50 - 70);
    // Within a day the movements first, as recorded, then the expenses.
    EXPECT_EQ(Shown(doc, *m_card), (std::vector<std::u16string>{
                                       u"Остаток на начало  1200 1200 ",
                                       u"Расход Еда / Обед -200 1000 ",
                                       u"Исходящий перевод Наличные -300 700 ",
                                       u"Входящий перевод Наличные 50 750 сдача",
                                       u"Расход Еда / Обед -70 680 кофе",
                                       u"Пополнение  500 1180 зарплата",
                                   }));
    const CRegister reg(doc, *m_card);
    EXPECT_EQ(reg.RecordedCount(), 5U);
    // A transfer out is money moved, not spent.
    EXPECT_EQ(RegisterFooter(reg),
              u"Операций: 5   Пополнения: 500   Переводы: +50 / \u2212300   Расходы: 270");
}

TEST_F(RegisterTest, AnExpenseOfTheLowestAmountIsMoneyInSummedIn64Bits) {
    // As an import may record it: -2147483648 spent is 2147483648 gained, never wrapped.
    CVerdalonDoc& doc = m_w.m_doc;
    m_food->AddEntry(148001, -2147483647 - 1, m_card);
    m_food->AddEntry(148002, -2147483647 - 1, m_card);
    const CRegister reg(doc, *m_card);
    EXPECT_EQ(reg.Rows()[3].amount, 2147483648);
    EXPECT_EQ(reg.Rows().back().balance, m_card->Balance());
    EXPECT_EQ(reg.Rows().front().balance, std::int64_t{m_card->Balance()} - 4294967296 + 200);
    EXPECT_EQ(RegisterFooter(reg),
              u"Операций: 3   Пополнения: 0   Переводы: +0 / \u22120   Расходы: -4294967096");
}

TEST_F(RegisterTest, AnUndoneRowTakesItsMoneyBackAndANoChangesNothing) {
    CVerdalonDoc& doc = m_w.m_doc;
    MoveMoney(doc, {148005, 1, 0, 2000, {}}); // cash goes to -2000
    const RegisterRow transfer = CRegister(doc, *m_card).Rows().back();
    // A deposit whose undo would turn the balance negative asks first.
    MoveMoney(doc, {148006, -1, 0, 5000, {}});
    m_w.m_platform.Answer(MsgResult::No);
    MoveMoney(doc, {148007, 0, 1, 8000, {}}); // the card at 0
    const RegisterRow deposit = CRegister(doc, *m_card).Rows()[3];
    ASSERT_EQ(deposit.kind, RegisterKind::Deposit);
    EXPECT_FALSE(UndoRegisterRow(doc, deposit));
    EXPECT_EQ(m_card->Balance(), 0);
    EXPECT_EQ(doc.Movements().GetCount(), 3);

    ASSERT_TRUE(UndoRegisterRow(doc, CRegister(doc, *m_card).Rows()[1])); // the old lunch
    EXPECT_EQ(m_card->Balance(), 200);
    m_w.m_platform.Answer(MsgResult::Yes); // the card goes below 0
    EXPECT_TRUE(UndoRegisterRow(doc, transfer));
    EXPECT_EQ(m_cash->Balance(), 8000);
    EXPECT_EQ(doc.Changes().UndoText(), u"отмена: перевод между счетами «Карта» и «Наличные»");
    doc.UndoChange();
    EXPECT_EQ(m_cash->Balance(), 6000);
    EXPECT_EQ(doc.Movements().GetCount(), 3);
}

TEST_F(RegisterTest, ADeletedAccountTakesItsDepositsAndNamesItselfOnItsTransfers) {
    CVerdalonDoc& doc = m_w.m_doc;
    MoveMoney(doc, {148001, -1, 1, 400, {}});
    MoveMoney(doc, {148002, 1, 0, 100, {}});
    MoveMoney(doc, {148003, 0, 1, 30, {}});
    const std::vector<std::u16string> before = Shown(doc, *m_card);
    DeleteAccount(doc, 1);
    ASSERT_EQ(doc.Movements().GetCount(), 2);
    EXPECT_EQ(Shown(doc, *m_card)[2], u"Входящий перевод Наличные 100 1100 ");
    // The other side goes too, and with it the transfers with nobody left.
    DeleteAccount(doc, 0);
    EXPECT_TRUE(doc.Movements().IsEmpty());
    doc.UndoChange();
    doc.UndoChange();
    EXPECT_EQ(doc.Movements().GetCount(), 3);
    EXPECT_EQ(Shown(doc, *doc.Accounts().GetAt(0)), before);
}

// A deleted account whose name breaks a line names its transfers on one line, which its
// file keeps and reads back.
TEST_F(RegisterTest, ADeletedAccountsNameWithALineBreakIsKeptOnOneLine) {
    CVerdalonDoc& doc = m_w.m_doc;
    m_cash->m_strName = u"Нал\nичные";
    MoveMoney(doc, {148001, -1, 1, 400, {}});
    MoveMoney(doc, {148002, 1, 0, 100, {}});
    DeleteAccount(doc, 1);
    ASSERT_EQ(doc.Movements().GetCount(), 1);
    EXPECT_EQ(doc.Movements().GetAt(0).m_strGoneName, u"Нал ичные");
    test::CCoreWorld copy;
    std::string error;
    EXPECT_TRUE(copy.m_doc.Load(doc.Store(), error)) << error;
}

} // namespace
} // namespace tamblero
