#include "dialogs/MergeFollower.h"

#include "model/CategoryNode.h"

#include <QApplication>
#include <QDialog>
#include <QThread>
#include <QWidget>

#include <algorithm>
#include <utility>

namespace tamblero {

CMergeFollower::CMergeFollower(CVerdalonDoc& doc, QDialog& dialog, std::function<void()> follow,
                               std::function<bool()> busy)
    : QObject(&dialog), m_doc(doc), m_pRoot(doc.GetRoot()), m_follow(std::move(follow)),
      m_busy(std::move(busy)) {
    m_doc.AddView(this);
}

CMergeFollower::~CMergeFollower() {
    m_doc.RemoveView(this);
}

void CMergeFollower::OnUpdate(CDocView* /*sender*/, int /*hint*/) {
    if (m_doc.GetRoot() == m_pRoot) {
        return;
    }
    m_pRoot = m_doc.GetRoot();
    if (m_follow) {
        m_follow();
    }
}

bool ModalWindowHoldsDocument() {
    const QWidgetList windows = QApplication::topLevelWidgets();
    int following = 0;
    const bool holding = std::any_of(windows.begin(), windows.end(), [&](const QWidget* window) {
        if (!window->isVisible() || !window->isModal()) {
            return false;
        }
        const auto* follower =
            window->findChild<CMergeFollower*>(QString(), Qt::FindDirectChildrenOnly);
        if (follower == nullptr || follower->Holding()) {
            return true;
        }
        ++following;
        return false;
    });
    // Every event loop beyond the main one must be a following window's: one whose window was
    // just hidden, or a menu's, returns to code that may hold what a merge replaces.
    return holding || QThread::currentThread()->loopLevel() - 1 > following;
}

CCategoryNode* NodeWithId(const CVerdalonDoc& doc, ItemId id) {
    CExpenseGroup* root = doc.GetRoot();
    return root != nullptr ? FindNodeWithId(*root, id) : nullptr;
}

} // namespace tamblero
