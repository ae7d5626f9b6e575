// The modal dialogs the tree's commands open; tests replace them so that no event loop runs.
#pragma once

#include "app/core/TreeCommands.h"
#include "app/platform/Platform.h"

#include <functional>
#include <optional>
#include <string>

class QSettings;
class QWidget;

namespace tamblero {

class CExpenseArticle;
class CVerdalonDoc;

struct TreeDialogs {
    std::function<std::optional<std::u16string>(QWidget* parent)> askName;
    std::function<std::optional<ExpenseInput>(QWidget* parent, const CExpenseArticle& article)>
        askExpense;
    // The node's budget: a new one, or none to remove it; nullopt for a cancel.
    std::function<std::optional<std::optional<BudgetChoice>>(
        QWidget* parent, const CCategoryNode& node, const Budget* had)>
        askBudget;
};
// The program's own dialogs; the settings, when given, keep the sizes the user gives them.
[[nodiscard]] TreeDialogs StandardTreeDialogs(CVerdalonDoc& doc, IPlatform& platform,
                                              QSettings* settings = nullptr);

} // namespace tamblero
