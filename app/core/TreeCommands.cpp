#include "app/core/TreeCommands.h"

#include "app/core/DocumentChanges.h"
#include "app/platform/Utf.h"
#include "model/CategoryNode.h"
#include "resources/StringTable.h"
#include "storage/VerdalonDoc.h"

#include <string>

namespace tamblero {

CTreeCommands::CTreeCommands(IPlatform& platform, CVerdalonDoc& doc)
    : m_platform(platform), m_doc(doc) {}

bool CTreeCommands::IsEnabled(Command command) const {
    const CCategoryNode* node = m_pSelected;
    // While a pick is pending only its cancel is offered, besides renaming.
    const bool idle = m_nPickMode == pickNone && node != nullptr;
    switch (command) {
    case Command::NewGroup:
    case Command::NewArticle:
        return idle && node->IsGroup();
    case Command::NewExpense:
    case Command::MergeWith:
        return idle && !node->IsGroup();
    case Command::DeleteNode:
    case Command::MoveTo:
        return idle && node->GetParent() != nullptr;
    case Command::CancelPick:
        return m_nPickMode != pickNone;
    case Command::Rename:
        return node != nullptr;
    case Command::Budget:
        return idle;
    case Command::Count:
        break;
    }
    return false;
}

std::u16string CTreeCommands::PickHint() const {
    if (m_nPickMode == pickNone || m_pSource == nullptr) {
        return {};
    }
    // The name isolated and on the hint's one line: a right-to-left override or a line break
    // in it reaches no further.
    std::u16string name = u'\u2068' + m_pSource->GetName() + u'\u2069';
    for (char16_t& c : name) {
        if (c == u'\n' || c == u'\r' || c == u'\u2028' || c == u'\u2029') {
            c = u' ';
        }
    }
    return FormatString(m_nPickMode == pickMergeTarget ? IDS_HINT_PICK_MERGE : IDS_HINT_PICK_MOVE,
                        {name});
}

void CTreeCommands::Select(CCategoryNode* node, bool tapped) {
    m_pSelected = node;
    if (node == nullptr || !tapped) {
        return;
    }
    if (m_nPickMode == pickMergeTarget) {
        CompleteMerge(*node);
    } else if (m_nPickMode == pickMoveTarget) {
        CompleteMove(*node);
    }
}

void CTreeCommands::Run(Command command) {
    switch (command) {
    case Command::NewGroup:
        NewChild(true);
        break;
    case Command::NewArticle:
        NewChild(false);
        break;
    case Command::NewExpense:
        NewExpense();
        break;
    case Command::DeleteNode:
        DeleteNode();
        break;
    case Command::MergeWith:
        if (IsEnabled(command)) {
            StartPick(pickMergeTarget);
        }
        break;
    case Command::MoveTo:
        if (IsEnabled(command)) {
            StartPick(pickMoveTarget);
        }
        break;
    case Command::CancelPick:
        SetPick(pickNone, nullptr);
        break;
    case Command::Rename:
        if (m_pSelected != nullptr && m_ui.editName) {
            m_ui.editName(*m_pSelected);
        }
        break;
    case Command::Budget:
        SetBudget();
        break;
    case Command::Count:
        break;
    }
}

void CTreeCommands::Rename(CCategoryNode& node, const std::u16string& name) {
    RenameNode(m_doc, node, name);
}

void CTreeCommands::Reset() {
    m_pSelected = nullptr;
    SetPick(pickNone, nullptr);
}

void CTreeCommands::NewChild(bool group) {
    CCategoryNode* node = m_pSelected;
    if (!IsEnabled(Command::NewGroup) || !m_ui.askName) {
        return;
    }
    BeforeModal();
    if (group && !node->AsGroup()->CanAddGroup()) {
        ShowTooDeep();
        return;
    }
    // By id: a merge may replace every node while the name is asked for.
    const ItemId parentId = node->m_nId;
    const std::optional<std::u16string> name = m_ui.askName();
    if (!name) {
        return;
    }
    CCategoryNode* found = FindNodeWithId(*m_doc.GetRoot(), parentId);
    CExpenseGroup* parent = found != nullptr ? found->AsGroup() : nullptr;
    if (parent == nullptr) {
        Message(LoadString(IDS_NEW_NODE_PARENT_GONE), kCaptionWarning, MsgButtons::Ok,
                MsgIcon::Exclamation);
        return;
    }
    CCategoryNode* added = AddNode(m_doc, *parent, *name, group);
    if (added == nullptr) {
        return;
    }
    if (m_ui.reveal) {
        m_ui.reveal(*added);
    }
}

void CTreeCommands::NewExpense() {
    CCategoryNode* node = m_pSelected;
    if (!IsEnabled(Command::NewExpense) || !m_ui.askExpense) {
        return;
    }
    BeforeModal();
    // By id: a merge may replace every node while the dialog is open.
    const ItemId articleId = node->m_nId;
    const std::optional<ExpenseInput> input = m_ui.askExpense(*node->AsArticle());
    if (!input) {
        return;
    }
    CCategoryNode* found = FindNodeWithId(*m_doc.GetRoot(), articleId);
    if (found == nullptr || found->AsArticle() == nullptr) {
        Message(LoadString(IDS_EXPENSE_ARTICLE_GONE), kCaptionWarning, MsgButtons::Ok,
                MsgIcon::Exclamation);
        return;
    }
    AddExpense(m_doc, *found->AsArticle(), *input);
}

void CTreeCommands::DeleteNode() {
    CCategoryNode* node = m_pSelected;
    if (!IsEnabled(Command::DeleteNode)) {
        return;
    }
    const std::u16string question = LoadString(IDS_DELETE_QUESTION) + u'"' + node->GetName() +
                                    u'"' + LoadString(IDS_DELETE_QUESTION_END);
    if (Message(question, kCaptionQuestion, MsgButtons::YesNo, MsgIcon::Question, MsgDefault::No) !=
        MsgResult::Yes) {
        return;
    }
    // The views let go of the node (the selection moves on) before it leaves the tree.
    tamblero::DeleteNode(m_doc, *node);
}

void CTreeCommands::StartPick(int mode) {
    SetPick(mode, m_pSelected);
    Message(LoadString(mode == pickMergeTarget ? IDS_PICK_MERGE_TARGET : IDS_PICK_MOVE_TARGET),
            kAppTitle);
}

void CTreeCommands::CompleteMerge(CCategoryNode& target) {
    if (target.IsGroup()) {
        Message(LoadString(IDS_MERGE_NEEDS_ARTICLE), kAppTitle);
        return;
    }
    // Merging an article into itself would only destroy it with all its entries.
    if (&target == m_pSource) {
        Message(LoadString(IDS_MERGE_INTO_ITSELF), kAppTitle);
        return;
    }
    CCategoryNode* source = m_pSource;
    SetPick(pickNone, nullptr);
    MergeArticles(m_doc, *source->AsArticle(), *target.AsArticle());
}

bool CTreeCommands::IsLegalMoveTarget(const CCategoryNode& target) const {
    // A group, and not the moved node nor anything below it.
    return target.IsGroup() && !target.IsWithin(m_pSource);
}

void CTreeCommands::CompleteMove(CCategoryNode& target) {
    if (!IsLegalMoveTarget(target)) {
        Message(LoadString(IDS_CANNOT_MOVE_HERE), kCaptionError);
        return;
    }
    CCategoryNode* moved = m_pSource;
    CExpenseGroup* newParent = target.AsGroup();
    if (!newParent->CanHold(*moved)) {
        ShowTooDeep();
        return;
    }
    SetPick(pickNone, nullptr);
    MoveNode(m_doc, *moved, *newParent);
}

void CTreeCommands::SetPick(int mode, CCategoryNode* source) {
    m_pSource = source;
    if (m_nPickMode != mode) {
        m_nPickMode = mode;
        if (m_ui.stateChanged) {
            m_ui.stateChanged();
        }
    }
}

MsgResult CTreeCommands::Message(const std::u16string& text, const std::u16string& caption,
                                 MsgButtons buttons, MsgIcon icon, MsgDefault defaultButton) {
    BeforeModal();
    return m_platform.MessageBox(text, caption, buttons, icon, defaultButton);
}

void CTreeCommands::BeforeModal() const {
    if (m_ui.beforeModal) {
        m_ui.beforeModal();
    }
}

void CTreeCommands::ShowTooDeep() {
    Message(FormatString(IDS_GROUPS_TOO_DEEP, {Utf16FromUtf8(std::to_string(kMaxGroupDepth))}),
            kCaptionError);
}

void CTreeCommands::SetBudget() {
    if (!IsEnabled(Command::Budget) || !m_ui.askBudget) {
        return;
    }
    BeforeModal();
    // The node by its lasting id: a merge while the dialog was open may have replaced it.
    const ItemId id = m_pSelected->m_nId;
    const auto choice = m_ui.askBudget(*m_pSelected, m_doc.Budgets().Find(id));
    CCategoryNode* node = m_doc.GetRoot() ? FindNodeWithId(*m_doc.GetRoot(), id) : nullptr;
    if (!choice || node == nullptr) {
        return;
    }
    if (*choice) {
        tamblero::SetBudget(m_doc, *node, (*choice)->plan, (*choice)->carry);
    } else {
        RemoveBudget(m_doc, *node);
    }
}

} // namespace tamblero
