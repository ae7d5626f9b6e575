// Small pieces every dialog uses: texts from the string table (dialogs/QtStrings.h), dates
// as day numbers, the button row and the messages that refuse an input.
#pragma once

#include "dialogs/QtStrings.h"
#include "model/Identity.h"
#include "period/DayNumber.h"

#include <QDate>
#include <QDialogButtonBox>
#include <QKeySequence>
#include <QList>
#include <QSize>
#include <QString>

#include <functional>
#include <optional>
#include <string>
#include <vector>

class QAbstractItemModel;
class QAbstractItemView;
class QComboBox;
class QDialog;
class QFormLayout;
class QDateEdit;
class QLayout;
class QLineEdit;
class QPushButton;
class QSettings;
class QTableView;
class QWidget;

namespace tamblero {

class CAccountList;
class CExpenseGroup;
class IPlatform;

[[nodiscard]] QDate ToQDate(DayNumber day);
[[nodiscard]] DayNumber ToDayNumber(const QDate& date);

// A date picker in the locale's short format with a calendar popup, limited to the
// days a data file can hold.
void SetUpDatePicker(QDateEdit& picker);

// An amount field keeps every character typed or pasted, however many: the amount is read,
// or refused, at OK.
void SetUpAmountField(QLineEdit& field);

// OK (and "Отмена" when asked) wired to the dialog's accept and reject.
QDialogButtonBox* AddButtons(QDialog& dialog, bool withCancel);
// An editable box whose items are found by any part typed, in any case, from a popup.
void FindByAnyPart(QComboBox& box);
// The box of every article's path below the root, found by any part typed; item i's article is
// the i-th id returned.
[[nodiscard]] std::vector<ItemId> FillArticles(QComboBox& box, const CExpenseGroup& root);
// After a list is read anew: selects the row found, or else the one at the fallback's place (the
// last where that is past the end); none where both are -1 or the list is empty.
void SelectAgain(QTableView& table, int found, int fallbackRow);
// Keys of the widget's own (a table's), so that Enter does not also reach the dialog's default
// button.
void AddKeys(QWidget& widget, const QList<QKeySequence>& keys, const std::function<void()>& run);
// The document's undo and redo keys in a dialog that changes it itself: `step(true)` undoes,
// `step(false)` redoes.
void AddUndoKeys(QDialog& dialog, const std::function<void(bool undo)>& step);
// A button of a list's dialog, named for the tests; Enter never presses it, since it goes to
// the list or the dialog's own default.
QPushButton* ListButton(unsigned id, const QString& name, QWidget* parent);
// The dialog's fields, each in a row after its right-aligned label, above OK and "Отмена".
QFormLayout* AddFormWithButtons(QDialog& dialog);

// How wide a window must be for its whole title to show in a usual title bar, beside the
// bar's icon and buttons; a window manager may still draw it otherwise.
[[nodiscard]] int TitleBarWidth(const QWidget& window);

// The size at which the dialog shows its table's columns whole and as many rows as the table
// has, but at least `fewest` and at most `most`, beside the rest of its content, and its whole
// title.
[[nodiscard]] QSize SizeShowingTable(const QDialog& dialog, const QTableView& table, int fewest,
                                     int most);

// Opens the dialog at the size the user last gave it, kept in the settings under `name`, or
// else at `natural`; either is bounded by the screen's available area. A size the user gives
// it is kept when it closes. Without settings nothing is remembered.
void RestoreSize(QDialog& dialog, QSettings* settings, const QString& name, QSize natural);

// A list of up to a million rows shown read-only, one whole row selected at a time: fixed row
// heights, set before the rows come, so that the view never measures a row, and columns as wide
// as their first rows.
void SetUpLongList(QTableView& view, QAbstractItemModel& model);
// The width at which the layout shows the list's columns as measured and a scroll bar beside
// them.
[[nodiscard]] int LongListWidth(const QTableView& view, const QLayout& layout);

// F2 and a double-click on the list's rows do what its "Изменить..." button does.
void OpenRowsByF2AndDoubleClick(QAbstractItemView& list, const std::function<void()>& open);

// The first selected row of the view; -1 when none is.
[[nodiscard]] int SelectedRow(const QAbstractItemView& view);

// Tells the user why a typed value was refused.
void ShowRefusal(IPlatform& platform, const std::u16string& message);

// Lists the accounts an entry may name, in the list's order and so at their places, each with
// its lasting id, keeping the one chosen by that id: a merge replaces every account. The first
// is chosen in a list filled anew; where the chosen one is gone, none, and its name is answered.
std::optional<QString> FillAccounts(QComboBox& box, const CAccountList& accounts);

// How a dialog opened from another dialog is run; modally by default, tests drive it.
using DialogRunner = std::function<int(QDialog&)>;

} // namespace tamblero
