// The dialogs' controls as the tests reach them: each by the object name its dialog gives it,
// spelled here once. Null when the dialog has no such control.
#pragma once

#include <QAbstractItemModel>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLatin1String>
#include <QLineEdit>
#include <QPushButton>
#include <QStringList>
#include <QTableWidget>
#include <QToolButton>

namespace tamblero::test {

// A list model's rows as text, a row's cells joined by "|".
[[nodiscard]] inline QStringList ModelRows(const QAbstractItemModel& model) {
    QStringList out;
    for (int r = 0; r < model.rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < model.columnCount(); ++c) {
            cells << model.index(r, c).data().toString();
        }
        out << cells.join(QLatin1Char('|'));
    }
    return out;
}

template <class T> [[nodiscard]] T* Child(const QObject& parent, const char* objectName) {
    return parent.findChild<T*>(QLatin1String(objectName));
}

// The expense dialog.
inline QLineEdit* AmountEdit(const QObject& dlg) {
    return Child<QLineEdit>(dlg, "amount");
}
inline QToolButton* AmountUpButton(const QObject& dlg) {
    return Child<QToolButton>(dlg, "amountUp");
}
inline QToolButton* AmountDownButton(const QObject& dlg) {
    return Child<QToolButton>(dlg, "amountDown");
}
inline QComboBox* AccountCombo(const QObject& dlg) {
    return Child<QComboBox>(dlg, "account");
}
inline QDateEdit* DateEdit(const QObject& dlg) {
    return Child<QDateEdit>(dlg, "date");
}
inline QLineEdit* NoteEdit(const QObject& dlg) {
    return Child<QLineEdit>(dlg, "note");
}
inline QComboBox* ArticleCombo(const QObject& dlg) {
    return Child<QComboBox>(dlg, "article");
}

// The accounts dialog.
inline QTableWidget* AccountsTable(const QObject& dlg) {
    return Child<QTableWidget>(dlg, "accounts");
}
inline QLineEdit* TotalEdit(const QObject& dlg) {
    return Child<QLineEdit>(dlg, "total");
}
inline QPushButton* NewAccountButton(const QObject& dlg) {
    return Child<QPushButton>(dlg, "newAccount");
}
inline QPushButton* DeleteAccountButton(const QObject& dlg) {
    return Child<QPushButton>(dlg, "deleteAccount");
}
inline QPushButton* TransferButton(const QObject& dlg) {
    return Child<QPushButton>(dlg, "transfer");
}

// The transfer dialog (and the amount above).
inline QCheckBox* FromAccountCheck(const QObject& dlg) {
    return Child<QCheckBox>(dlg, "fromAccount");
}
inline QComboBox* SourceCombo(const QObject& dlg) {
    return Child<QComboBox>(dlg, "source");
}
inline QComboBox* TargetCombo(const QObject& dlg) {
    return Child<QComboBox>(dlg, "target");
}

// The history dialog (and the date above).
inline QTableWidget* EntriesTable(const QObject& dlg) {
    return Child<QTableWidget>(dlg, "entries");
}
inline QPushButton* PreviousDayButton(const QObject& dlg) {
    return Child<QPushButton>(dlg, "previousDay");
}
inline QPushButton* NextDayButton(const QObject& dlg) {
    return Child<QPushButton>(dlg, "nextDay");
}
inline QPushButton* UndoButton(const QObject& dlg) {
    return Child<QPushButton>(dlg, "undo");
}
// "Изменить..." of a list of expenses.
inline QPushButton* EditButton(const QObject& dlg) {
    return Child<QPushButton>(dlg, "edit");
}
// The entries behind a cell (and the undo above).
inline QTableView* EntriesView(const QObject& dlg) {
    return Child<QTableView>(dlg, "entries");
}
inline QLabel* TotalLabel(const QObject& dlg) {
    return Child<QLabel>(dlg, "total");
}

// The About dialog.
inline QLabel* VersionLabel(const QObject& dlg) {
    return Child<QLabel>(dlg, "version");
}
inline QLabel* IconLabel(const QObject& dlg) {
    return Child<QLabel>(dlg, "icon");
}
inline QLabel* DataPathLabel(const QObject& dlg) {
    return Child<QLabel>(dlg, "dataPath");
}

} // namespace tamblero::test
