#include "views/TreePaths.h"

#include "model/CategoryNode.h"
#include "views/CategoryTreeModel.h"
#include "views/FinancesTreeView.h"

#include <QSet>

#include <utility>
#include <vector>

namespace tamblero {

namespace {

QString NameAt(const QModelIndex& item) {
    return item.data(CCategoryTreeModel::NameRole).toString();
}

} // namespace

QList<QStringList> ExpandedPaths(const CFinancesTreeView& tree) {
    const CCategoryTreeModel& model = tree.Model();
    QList<QStringList> paths;
    std::vector<std::pair<QModelIndex, QStringList>> todo{{model.index(0, 0), {}}};
    while (!todo.empty()) {
        auto [item, path] = std::move(todo.back());
        todo.pop_back();
        if (!item.isValid() || !tree.isExpanded(item)) {
            continue;
        }
        path.append(NameAt(item));
        paths.append(path);
        for (int r = model.rowCount(item) - 1; r >= 0; --r) {
            todo.emplace_back(model.index(r, 0, item), path);
        }
    }
    return paths;
}

void ExpandPaths(CFinancesTreeView& tree, const QList<QStringList>& paths) {
    const QSet<QStringList> wanted(paths.begin(), paths.end());
    if (wanted.isEmpty()) {
        return;
    }
    const CCategoryTreeModel& model = tree.Model();
    tree.ChangeManyRows([&] {
        std::vector<std::pair<QModelIndex, QStringList>> todo{{model.index(0, 0), {}}};
        while (!todo.empty()) {
            auto [item, path] = std::move(todo.back());
            todo.pop_back();
            path.append(NameAt(item));
            if (wanted.contains(path)) {
                tree.setExpanded(item, true);
            }
            for (int r = model.rowCount(item) - 1; r >= 0; --r) {
                if (const QModelIndex child = model.index(r, 0, item); model.hasChildren(child)) {
                    todo.emplace_back(child, path);
                }
            }
        }
    });
    tree.RowsChanged();
}

int GroupCount(const CFinancesTreeView& tree) {
    const CCategoryTreeModel& model = tree.Model();
    int groups = 0;
    const auto count = [&](const QModelIndex& row) {
        const CCategoryNode* node = model.NodeAt(row);
        groups += node != nullptr && node->IsGroup() ? 1 : 0;
    };
    if (const QModelIndex root = model.index(0, 0); root.isValid()) {
        count(root);
        ForEachRowBelow(model, root, count);
    }
    return groups;
}

QStringList SelectedPath(const CFinancesTreeView& tree) {
    QStringList path;
    for (QModelIndex it = tree.SelectedIndex(); it.isValid(); it = it.parent()) {
        path.prepend(NameAt(it));
    }
    return path;
}

void SelectPath(CFinancesTreeView& tree, const QStringList& path) {
    const CCategoryTreeModel& model = tree.Model();
    QModelIndex found;
    QModelIndex parent;
    for (const QString& name : path) {
        found = {};
        for (int r = 0; r < model.rowCount(parent); ++r) {
            if (const QModelIndex row = model.index(r, 0, parent); NameAt(row) == name) {
                found = row;
                break;
            }
        }
        if (!found.isValid()) {
            return;
        }
        parent = found;
    }
    if (found.isValid()) {
        tree.SelectQuietly(found);
        tree.scrollTo(found);
        tree.RowsChanged();
    }
}

void RevealRow(CFinancesTreeView& tree, const QModelIndex& index) {
    if (!index.isValid()) {
        return;
    }
    tree.ChangeManyRows([&] {
        for (QModelIndex up = index.parent(); up.isValid(); up = up.parent()) {
            tree.expand(up);
        }
    });
    tree.SelectQuietly(index);
    tree.scrollTo(index);
    tree.RowsChanged();
    tree.setFocus();
}

} // namespace tamblero
