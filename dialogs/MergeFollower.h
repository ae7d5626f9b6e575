// A dialog that follows a merge instead of holding it back. A merge replaces every node,
// account, movement and expense of the document by new objects, so a dialog that keeps
// pointers into them is told at once and finds what it shows again by lasting id. Where a
// dialog still runs one of its own actions (a dialog or message of its own open, an editor),
// it holds the merge back until that ends.
#pragma once

#include "model/Identity.h"
#include "storage/VerdalonDoc.h"

#include <QObject>
#include <QScopeGuard>

#include <functional>

class QDialog;

namespace tamblero {

class CCategoryNode;
class CExpenseGroup;

class CMergeFollower final : public QObject, public CDocView {
    Q_OBJECT
public:
    // `follow` runs right after a merge replaced the contents, before anything paints; `busy`,
    // when given, says whether the dialog holds pointers it cannot give up just now.
    CMergeFollower(CVerdalonDoc& doc, QDialog& dialog, std::function<void()> follow,
                   std::function<bool()> busy = {});
    ~CMergeFollower() override;

    void OnUpdate(CDocView* sender, int hint) override;

    // While the guard lives, merges wait: for an action that holds pointers across an event
    // loop of its own.
    [[nodiscard]] auto Hold() {
        ++m_holds;
        return qScopeGuard([this] { --m_holds; });
    }
    [[nodiscard]] bool Holding() const { return m_holds > 0 || (m_busy && m_busy()); }

private:
    CVerdalonDoc& m_doc;
    // A merge builds a new root beside the old one: a root at another address is the sign
    // that every object was replaced. Only compared, never followed.
    const CExpenseGroup* m_pRoot;
    std::function<void()> m_follow;
    std::function<bool()> m_busy;
    int m_holds = 0;
};

// Whether a modal window open now holds parts of the document that a merge would take away:
// any but a dialog that follows merges and holds nothing just now.
[[nodiscard]] bool ModalWindowHoldsDocument();

// The node with that lasting id, the root included; null when the document has none.
[[nodiscard]] CCategoryNode* NodeWithId(const CVerdalonDoc& doc, ItemId id);

} // namespace tamblero
