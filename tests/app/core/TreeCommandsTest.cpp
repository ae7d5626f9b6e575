// The tree's commands without a toolkit: which are offered when, what each changes, and how a
// pending merge or move ends.
#include "app/core/TreeCommands.h"
#include "app/core/DocumentChanges.h"
#include "model/CategoryNode.h"
#include "resources/StringTable.h"
#include "tests/support/CoreWorld.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

using namespace tamblero;
using namespace tamblero::test;
using namespace std::string_literals;

namespace {

using Cmd = CTreeCommands::Command;

// Writes down what it is told, with the parent the node stands under at that moment.
class CRecordingObserver final : public ITreeObserver {
public:
    void NodeInserted(CCategoryNode& node) override { Note("inserted", node); }
    void NodeAboutToBeRemoved(CCategoryNode& node) override { Note("removing", node); }
    void NodeAboutToBeMoved(CCategoryNode& node) override { Note("moving", node); }
    void NodeMoved(CCategoryNode& node) override { Note("moved", node); }
    void NodeRenamed(CCategoryNode& node) override { Note("renamed", node); }

    std::vector<std::string> m_events;

private:
    void Note(const char* what, const CCategoryNode& node) {
        m_events.push_back(std::string(what) + ' ' + Utf8(node.GetName()) + " in " +
                           Utf8(node.GetParent()->GetName()));
    }
};

// [Все расходы] { [Общие] { [Вложенная], Еда }, Кино }, nothing selected, nothing pending.
class TreeCommandsTest : public ::testing::Test {
protected:
    TreeCommandsTest() {
        general = w.Root().AddGroup(u"Общие");
        inner = general->AddGroup(u"Вложенная");
        food = general->AddArticle(u"Еда");
        cinema = w.Root().AddArticle(u"Кино");
        food->AddEntry(DayNumberFromDate(2008, 9, 9), 100);
        cinema->AddEntry(DayNumberFromDate(2008, 9, 11), 7);
        w.m_doc.CompleteIds(); // as every tree read or made has them
        CTreeCommands::Ui ui;
        ui.askName = [this] { return ++asked, name; };
        ui.askExpense = [this](const CExpenseArticle& article) {
            askedFor = &article;
            return ++asked, expense;
        };
        ui.reveal = [this](CCategoryNode& node) { revealed = &node; };
        ui.beforeModal = [this] { ++modal; };
        commands.SetUi(ui);
        w.m_doc.SetTreeObserver(&observer);
        w.Forget();
    }
    // The enabled commands, in the order of the enum.
    [[nodiscard]] std::vector<Cmd> Enabled() const {
        std::vector<Cmd> enabled;
        for (std::size_t c = 0; c < CTreeCommands::kCommandCount; ++c) {
            if (commands.IsEnabled(static_cast<Cmd>(c))) {
                enabled.push_back(static_cast<Cmd>(c));
            }
        }
        return enabled;
    }
    void Tap(CCategoryNode* node) { commands.Select(node, true); }
    [[nodiscard]] const RecordedMessage& Last() const { return w.m_platform.m_messages.back(); }

    CCoreWorld w;
    CRecordingObserver observer;
    CTreeCommands commands{w.m_platform, w.m_doc};
    CExpenseGroup* general = nullptr;
    CExpenseGroup* inner = nullptr;
    CExpenseArticle* food = nullptr;
    CExpenseArticle* cinema = nullptr;
    std::optional<std::u16string> name;
    std::optional<ExpenseInput> expense;
    const CExpenseArticle* askedFor = nullptr; // the article the expense dialog names
    CCategoryNode* revealed = nullptr;
    int asked = 0;
    int modal = 0;
};

TEST_F(TreeCommandsTest, EnablingFollowsTheSelectedKindAndThePick) {
    const std::pair<CCategoryNode*, std::vector<Cmd>> idle[] = {
        {nullptr, {}},
        {&w.Root(), {Cmd::NewGroup, Cmd::NewArticle, Cmd::Rename, Cmd::Budget}},
        {general,
         {Cmd::NewGroup, Cmd::NewArticle, Cmd::DeleteNode, Cmd::MoveTo, Cmd::Rename, Cmd::Budget}},
        {food,
         {Cmd::NewExpense, Cmd::DeleteNode, Cmd::MergeWith, Cmd::MoveTo, Cmd::Rename,
          Cmd::Budget}}};
    for (const auto& [node, expected] : idle) {
        commands.Select(node, false);
        EXPECT_EQ(Enabled(), expected);
    }
    // While a pick is pending only its cancel is offered, besides renaming what is selected.
    for (Cmd start : {Cmd::MergeWith, Cmd::MoveTo}) {
        commands.Select(food, false);
        commands.Run(start);
        for (const auto& [node, unused] : idle) {
            commands.Select(node, false); // moved by the program: no tap on a target
            EXPECT_EQ(Enabled(), (node != nullptr ? std::vector{Cmd::CancelPick, Cmd::Rename}
                                                  : std::vector{Cmd::CancelPick}));
        }
        commands.Run(Cmd::CancelPick);
        EXPECT_EQ(commands.Pick(), CTreeCommands::pickNone);
    }
}

TEST_F(TreeCommandsTest, BudgetSetsWhatTheDialogGivesAndRemovesOnNone) {
    // The dialog is shown the node's budget; its choice is one undoable change, none removes.
    std::vector<const Budget*> shown;
    std::optional<std::optional<BudgetChoice>> answer = BudgetChoice{{0, 900, 24312, {}}, true};
    CTreeCommands::Ui ui;
    ui.askBudget = [&](const CCategoryNode&, const Budget* had) {
        shown.push_back(had);
        return answer;
    };
    commands.SetUi(ui);
    commands.Select(general, true);
    commands.Run(Cmd::Budget);
    ASSERT_NE(w.m_doc.Budgets().Find(general->m_nId), nullptr);
    EXPECT_EQ(w.m_doc.Budgets().Find(general->m_nId)->plan.monthly, 900);
    answer = std::optional<BudgetChoice>{};
    commands.Run(Cmd::Budget);
    EXPECT_EQ(w.m_doc.Budgets().Find(general->m_nId), nullptr);
    answer.reset(); // cancelled: nothing changes
    commands.Run(Cmd::Budget);
    EXPECT_EQ(shown, (std::vector<const Budget*>{nullptr, shown[1], nullptr}));
    EXPECT_NE(shown[1], nullptr);
    w.m_doc.UndoChange();
    EXPECT_EQ(w.m_doc.Budgets().Find(general->m_nId)->plan.monthly, 900);
}

TEST_F(TreeCommandsTest, MergeCompletesOnAnotherArticleOnly) {
    // Groups and the source itself are refused with the pick kept; another article takes it all.
    commands.Select(food, false);
    commands.Run(Cmd::MergeWith);
    EXPECT_EQ(Last().text, LoadString(IDS_PICK_MERGE_TARGET));
    EXPECT_EQ(Last().caption, kAppTitle);
    Tap(general);
    EXPECT_EQ(Last().text, LoadString(IDS_MERGE_NEEDS_ARTICLE));
    Tap(food);
    EXPECT_EQ(Last().text, LoadString(IDS_MERGE_INTO_ITSELF));
    EXPECT_EQ(commands.Pick(), CTreeCommands::pickMergeTarget);
    EXPECT_TRUE(observer.m_events.empty());
    EXPECT_FALSE(w.m_doc.IsModified());

    Tap(cinema);
    EXPECT_EQ(commands.Pick(), CTreeCommands::pickNone);
    EXPECT_EQ(observer.m_events, std::vector<std::string>{"removing Еда in Общие"});
    EXPECT_EQ(general->ChildCount(), 1);
    EXPECT_EQ(cinema->SumDays(0, kLastValidDay), 107);
    EXPECT_EQ(commands.Selected(), cinema);
    EXPECT_TRUE(w.m_doc.IsModified());
}

TEST_F(TreeCommandsTest, MoveCompletesOnALegalGroupOnly) {
    // Articles, the source and its subtree are refused; its own parent and the root are legal.
    commands.Select(general, false);
    commands.Run(Cmd::MoveTo);
    EXPECT_EQ(Last().text, LoadString(IDS_PICK_MOVE_TARGET));
    for (CCategoryNode* wrong :
         {static_cast<CCategoryNode*>(inner), static_cast<CCategoryNode*>(general),
          static_cast<CCategoryNode*>(food), static_cast<CCategoryNode*>(cinema)}) {
        w.m_platform.m_messages.clear();
        Tap(wrong);
        EXPECT_EQ(Last().text, LoadString(IDS_CANNOT_MOVE_HERE));
        EXPECT_EQ(Last().caption, kCaptionError);
        EXPECT_EQ(commands.Pick(), CTreeCommands::pickMoveTarget);
    }
    Tap(&w.Root()); // its own parent: it becomes the last group there
    EXPECT_EQ(observer.m_events, (std::vector<std::string>{"moving Общие in Все расходы",
                                                           "moved Общие in Все расходы"}));
    EXPECT_EQ(w.Root().ChildAt(0), general);

    observer.m_events.clear();
    commands.Select(cinema, false);
    commands.Run(Cmd::MoveTo);
    Tap(inner);
    EXPECT_EQ(observer.m_events,
              (std::vector<std::string>{"moving Кино in Все расходы", "moved Кино in Вложенная"}));
    EXPECT_EQ(inner->ChildAt(0), cinema);
    EXPECT_EQ(w.Root().ChildCount(), 1);
    EXPECT_EQ(commands.Pick(), CTreeCommands::pickNone);
}

TEST_F(TreeCommandsTest, GroupsNestNoDeeperAndARefusedMoveStaysPending) {
    // A new group or a move past the deepest level is refused; the move may still end elsewhere.
    CExpenseGroup* deep = inner;
    while (deep->Depth() < kMaxGroupDepth) {
        deep = deep->AddGroup(u"g");
    }
    const std::u16string tooDeep = FormatString(IDS_GROUPS_TOO_DEEP, {u"1000"});
    commands.Select(deep, false);
    commands.Run(Cmd::NewGroup);
    EXPECT_EQ(asked, 0);
    EXPECT_EQ(Last().text, tooDeep);

    CExpenseGroup* pair = w.Root().AddGroup(u"пара");
    pair->AddGroup(u"внутри");
    commands.Select(pair, false);
    commands.Run(Cmd::MoveTo);
    Tap(deep->GetParent());
    EXPECT_EQ(Last().text, tooDeep);
    EXPECT_EQ(commands.Pick(), CTreeCommands::pickMoveTarget);
    Tap(general);
    EXPECT_EQ(pair->GetParent(), general);
}

TEST_F(TreeCommandsTest, CommandsAskFirstAndTellTheObserver) {
    // Nothing changes on a cancelled dialog or a No; what does change is announced.
    commands.Select(&w.Root(), false);
    commands.Run(Cmd::NewGroup);
    EXPECT_EQ(w.Root().ChildCount(), 2); // no name given
    name = u"Дом";
    commands.Run(Cmd::NewGroup);
    commands.Run(Cmd::NewArticle);
    EXPECT_EQ(observer.m_events, (std::vector<std::string>{"inserted Дом in Все расходы",
                                                           "inserted Дом in Все расходы"}));
    EXPECT_EQ(revealed, w.Root().ChildAt(3)); // the new article, after the groups

    observer.m_events.clear();
    commands.Select(general, false);
    commands.Run(Cmd::DeleteNode); // answered No
    EXPECT_EQ(Last().text, u"Вы действительно хотите удалить графу \"Общие\" и все ее записи?");
    EXPECT_EQ(Last().defaultButton, MsgDefault::No);
    w.m_platform.Answer(MsgResult::Yes);
    commands.Run(Cmd::DeleteNode);
    EXPECT_EQ(observer.m_events, std::vector<std::string>{"removing Общие in Все расходы"});
    EXPECT_EQ(w.Root().ChildCount(), 3); // "Общие" is gone

    commands.Select(cinema, false);
    expense = ExpenseInput{DayNumberFromDate(2008, 9, 12), 5, -1, {}};
    commands.Run(Cmd::NewExpense);
    EXPECT_EQ(askedFor, cinema);
    EXPECT_EQ(cinema->SumDays(0, kLastValidDay), 12);
    commands.Rename(*cinema, u"");
    EXPECT_EQ(observer.m_events.back(), "renamed  in Все расходы");
    EXPECT_EQ(modal, asked + static_cast<int>(w.m_platform.m_messages.size()));
}

TEST_F(TreeCommandsTest, ATargetGoneWhileItsDialogWasOpenIsNotActedOn) {
    // What the dialog was asked for is found again by id after it: where it went meanwhile,
    // the user is told and nothing is added to it.
    struct Case {
        CCategoryNode* target;
        Cmd command;
        unsigned told;
    };
    const Case cases[] = {{general, Cmd::NewArticle, IDS_NEW_NODE_PARENT_GONE},
                          {cinema, Cmd::NewExpense, IDS_EXPENSE_ARTICLE_GONE}};
    for (const Case& c : cases) {
        CTreeCommands::Ui ui;
        ui.askName = [&] { return DeleteNode(w.m_doc, *c.target), std::optional(u"Дом"s); };
        ui.askExpense = [&](const CExpenseArticle&) {
            DeleteNode(w.m_doc, *c.target);
            return std::optional(ExpenseInput{DayNumberFromDate(2008, 9, 12), 5, -1, {}});
        };
        commands.SetUi(ui);
        commands.Select(c.target, false);
        observer.m_events.clear();
        commands.Run(c.command);
        EXPECT_EQ(Last().text, LoadString(c.told));
        EXPECT_EQ(observer.m_events.size(), 1u); // its removal, and nothing added
        w.m_doc.UndoChange(); // the target back as it was: nothing went into it meanwhile
        EXPECT_EQ(cinema->SumDays(0, kLastValidDay), 7);
        EXPECT_EQ(general->ChildCount(), 2);
    }
}

TEST_F(TreeCommandsTest, ATapDuringARefusalMessageIsATapLikeAnyOther) {
    // The refusal leaves the pick as it finds it once its box closes: done, if a tap ended it.
    commands.Select(food, false);
    commands.Run(Cmd::MergeWith);
    bool tapped = false;
    CTreeCommands::Ui ui;
    ui.beforeModal = [this, &tapped] {
        if (!std::exchange(tapped, true)) {
            Tap(cinema);
        }
    };
    commands.SetUi(ui);
    Tap(general);
    EXPECT_EQ(Last().text, LoadString(IDS_MERGE_NEEDS_ARTICLE));
    EXPECT_EQ(commands.Pick(), CTreeCommands::pickNone);
    EXPECT_EQ(cinema->SumDays(0, kLastValidDay), 107);
    EXPECT_EQ(observer.m_events.size(), 1u);
    // A full rebuild forgets the selection and ends a pick.
    commands.Run(Cmd::MoveTo);
    commands.Reset();
    EXPECT_EQ(commands.Selected(), nullptr);
    EXPECT_EQ(commands.Pick(), CTreeCommands::pickNone);
}

} // namespace

TEST_F(TreeCommandsTest, APendingPickNamesWhatItWaitsForUntilItEnds) {
    // The hint names the pick's kind and its source, isolated on one line, while it waits, and
    // nothing once it ends.
    CExpenseArticle* odd = w.Root().AddArticle(u"a\u202Eb\nc");
    const struct {
        const char* end;
        Cmd start;
        CCategoryNode* source;
        std::u16string hint;
        std::function<void()> finish;
    } cases[] = {
        {"cancelled", Cmd::MergeWith, food,
         u"Выберите статью, с которой объединить «\u2068Еда\u2069». Esc — отмена",
         [this] { commands.Run(Cmd::CancelPick); }},
        {"a reversing, broken name cancelled", Cmd::MergeWith, odd,
         u"Выберите статью, с которой объединить «\u2068a\u202Eb c\u2069». Esc — отмена",
         [this] { commands.Run(Cmd::CancelPick); }},
        {"merged by a tap", Cmd::MergeWith, cinema,
         u"Выберите статью, с которой объединить «\u2068Кино\u2069». Esc — отмена",
         [this] { Tap(food); }},
        {"moved by a tap", Cmd::MoveTo, inner,
         u"Выберите группу, в которую переместить «\u2068Вложенная\u2069». Esc — отмена",
         [this] { Tap(&w.Root()); }},
        {"reset", Cmd::MoveTo, food,
         u"Выберите группу, в которую переместить «\u2068Еда\u2069». Esc — отмена",
         [this] { commands.Reset(); }},
    };
    EXPECT_EQ(commands.PickHint(), u"");
    for (const auto& c : cases) {
        commands.Select(c.source, false);
        commands.Run(c.start);
        EXPECT_EQ(commands.PickHint(), c.hint) << c.end;
        commands.Select(general, false); // the cursor moving on changes nothing
        EXPECT_EQ(commands.PickHint(), c.hint) << c.end;
        c.finish();
        EXPECT_EQ(commands.PickHint(), u"") << c.end;
    }
}
