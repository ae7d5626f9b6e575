// The category tree as Qt's item model: one row per node, the root the only top-level row.
// Each index carries its node. It follows the tree commands as their observer.
#pragma once

#include "app/core/TreeCommands.h"

#include <QAbstractItemModel>

#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

namespace tamblero {

class CCategoryNode;
class CExpenseGroup;

class CCategoryTreeModel final : public QAbstractItemModel, public ITreeObserver {
    Q_OBJECT
public:
    enum Role {
        NameRole = Qt::UserRole, // the node's name as it is, without brackets (QString)
    };
    // Carries out a confirmed edit of a node's name.
    using RenameFn = std::function<void(CCategoryNode&, const std::u16string&)>;

    explicit CCategoryTreeModel(QObject* parent = nullptr);

    // Full build: under each group its child groups, then its articles, in list order.
    void SetRoot(CExpenseGroup* root);
    void SetRenameHandler(RenameFn rename) { m_rename = std::move(rename); }

    [[nodiscard]] CCategoryNode* NodeAt(const QModelIndex& index) const;
    // Invalid for a node the model does not show.
    [[nodiscard]] QModelIndex IndexOf(const CCategoryNode* node) const;
    // A group's name in brackets, an article's name as it is.
    [[nodiscard]] static QString ItemText(const CCategoryNode& node);

    [[nodiscard]] QModelIndex index(int row, int column,
                                    const QModelIndex& parent = {}) const override;
    [[nodiscard]] QModelIndex parent(const QModelIndex& child) const override;
    [[nodiscard]] int rowCount(const QModelIndex& parent = {}) const override;
    [[nodiscard]] int columnCount(const QModelIndex& parent = {}) const override;
    [[nodiscard]] QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    [[nodiscard]] Qt::ItemFlags flags(const QModelIndex& index) const override;

    void NodeInserted(CCategoryNode& node) override;
    void NodeAboutToBeRemoved(CCategoryNode& node) override;
    void NodeAboutToBeMoved(CCategoryNode& node) override;
    void NodeMoved(CCategoryNode& node) override;
    void NodeRenamed(CCategoryNode& node) override;
    [[nodiscard]] int RowOf(const CCategoryNode& node) const override;
    void NodeRestored(CCategoryNode& node, int row) override;

private:
    // Where a shown node stands: its row under its parent and, for a group, its rows; the rows
    // are in the document's order at all times.
    struct Place {
        int row = 0;
        std::vector<CCategoryNode*> children;
    };
    void AddSubtree(CCategoryNode& node, int row);
    void ForgetSubtree(const CCategoryNode& node);
    // At that row of its parent; for -1, where the document holds it.
    void InsertRow(CCategoryNode& node, int row = -1);
    void RemoveRow(const CCategoryNode& node);
    [[nodiscard]] const Place* PlaceOf(const CCategoryNode* node) const;

    CExpenseGroup* m_pRoot = nullptr;
    std::unordered_map<const CCategoryNode*, Place> m_places;
    RenameFn m_rename;
};

// Calls f on every row below index, parents before their children.
template <class F>
void ForEachRowBelow(const QAbstractItemModel& model, const QModelIndex& index, F&& f) {
    for (int r = 0; r < model.rowCount(index); ++r) {
        const QModelIndex row = model.index(r, 0, index);
        f(row);
        ForEachRowBelow(model, row, f);
    }
}

} // namespace tamblero
