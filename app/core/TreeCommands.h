// The commands that edit the category tree, their enabling rules and the pending merge or
// move, without any toolkit: the tree view maps its actions, taps and edits onto this.
#pragma once

#include "app/platform/Platform.h"
#include "budget/Budgets.h"
#include "model/Money.h"
#include "period/DayNumber.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>

namespace tamblero {

class CCategoryNode;
class CExpenseArticle;
class CExpenseGroup;
class CVerdalonDoc;

// What the expense dialog hands back.
struct ExpenseInput {
    DayNumber day = 0;
    Amount amount = 0;
    int accountIndex = -1;
    std::u16string note; // cleaned when recorded; empty for none
};

// What the budget dialog hands back.
struct BudgetChoice {
    BudgetPlan plan;
    bool carry = false;
};

// Told around every change to the tree's structure or names, made or undone, so that a view
// can follow it in place: the document's tree observer (CVerdalonDoc::SetTreeObserver).
class ITreeObserver {
public:
    virtual ~ITreeObserver() = default;
    // The node was appended to its parent, with its subtree.
    virtual void NodeInserted(CCategoryNode& node) = 0;
    // The node and its subtree still stand under their parent and are about to be destroyed.
    virtual void NodeAboutToBeRemoved(CCategoryNode& node) = 0;
    // The node still stands under its old parent and is about to move with its subtree.
    virtual void NodeAboutToBeMoved(CCategoryNode& node) = 0;
    // The node stands last of its kind in its new parent now.
    virtual void NodeMoved(CCategoryNode& node) = 0;
    virtual void NodeRenamed(CCategoryNode& node) = 0;
    // The row the view shows the node at under its parent; -1 when it keeps no rows.
    [[nodiscard]] virtual int RowOf(const CCategoryNode& /*node*/) const { return -1; }
    // An undo put the node back under its parent, with its subtree, at the row RowOf gave
    // before it left (-1: last).
    virtual void NodeRestored(CCategoryNode& node, int /*row*/) { NodeInserted(node); }
};

class CTreeCommands final {
public:
    enum class Command {
        NewGroup,
        NewArticle,
        NewExpense,
        DeleteNode,
        MergeWith,
        MoveTo,
        CancelPick,
        Rename,
        Budget,
        Count
    };
    static constexpr std::size_t kCommandCount = static_cast<std::size_t>(Command::Count);
    enum PickMode { pickNone = 0, pickMergeTarget = 1, pickMoveTarget = 2 };

    // What the commands ask of the user and of the view; any may be left empty.
    struct Ui {
        std::function<std::optional<std::u16string>()> askName;
        // Asks for an expense of the article.
        std::function<std::optional<ExpenseInput>(const CExpenseArticle&)> askExpense;
        // Asks for the node's budget, showing the one it has (null: none): the new one, or
        // none to remove it; nullopt for a cancel.
        std::function<std::optional<std::optional<BudgetChoice>>(const CCategoryNode&,
                                                                 const Budget*)>
            askBudget;
        // Opens the in-place edit of the node's name; the edit ends in Rename.
        std::function<void(CCategoryNode&)> editName;
        // A node just created: its parent opens and it scrolls into view.
        std::function<void(CCategoryNode&)> reveal;
        // A message box or dialog is about to open.
        std::function<void()> beforeModal;
        // The pick mode changed, so the enabled commands did too.
        std::function<void()> stateChanged;
    };

    // Every change goes through DocumentChanges onto the document's undo stack.
    CTreeCommands(IPlatform& platform, CVerdalonDoc& doc);

    void SetUi(Ui ui) { m_ui = std::move(ui); }

    [[nodiscard]] CCategoryNode* Selected() const { return m_pSelected; }
    [[nodiscard]] int Pick() const { return m_nPickMode; }
    [[nodiscard]] bool IsEnabled(Command command) const;
    // What a pending pick waits for, naming its source, for the status bar; empty when none.
    [[nodiscard]] std::u16string PickHint() const;

    // The selection moved to the node (null: nothing selected). A tap by the user (a click,
    // Enter, the context menu) completes or refuses a pending pick; a selection moved by the
    // arrow keys or by the program does not.
    void Select(CCategoryNode* node, bool tapped);
    // Runs the command on the selection when its rules allow it.
    void Run(Command command);
    // The end of an in-place edit: the text as typed, an empty one included.
    void Rename(CCategoryNode& node, const std::u16string& name);
    // The tree was rebuilt in full: the selection and the source of a pick are gone.
    void Reset();

private:
    void NewChild(bool group);
    void NewExpense();
    void SetBudget();
    void DeleteNode();
    void StartPick(int mode);
    void CompleteMerge(CCategoryNode& target);
    void CompleteMove(CCategoryNode& target);
    [[nodiscard]] bool IsLegalMoveTarget(const CCategoryNode& target) const;
    void SetPick(int mode, CCategoryNode* source);
    MsgResult Message(const std::u16string& text, const std::u16string& caption,
                      MsgButtons buttons = MsgButtons::Ok, MsgIcon icon = MsgIcon::None,
                      MsgDefault defaultButton = MsgDefault::Yes);
    void BeforeModal() const;
    // Says that groups may nest no deeper.
    void ShowTooDeep();

    IPlatform& m_platform;
    CVerdalonDoc& m_doc;
    Ui m_ui;
    CCategoryNode* m_pSelected = nullptr;
    CCategoryNode* m_pSource = nullptr;
    int m_nPickMode = pickNone;
};

} // namespace tamblero
