// The rows of an account's register ("Операции"): the core's CRegister, built once when the
// dialog opens and again after each undo, read in place; a row's texts are made as it is shown.
#pragma once

#include "app/core/Register.h"
#include "model/Identity.h"

#include <QAbstractTableModel>
#include <QString>

#include <array>
#include <optional>
#include <unordered_map>

namespace tamblero {

class CAccount;
class CVerdalonDoc;
class IPlatform;

class CRegisterModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column : int {
        DateColumn,
        KindColumn,
        OtherColumn,
        AmountColumn,
        NoteColumn,
        BalanceColumn,
        ColumnCount
    };
    enum Role : int {
        // The day number for a date, the RegisterKind for a kind, the amount and the balance
        // as 64-bit numbers, the text for the others.
        RawValueRole = Qt::UserRole,
    };

    CRegisterModel(CVerdalonDoc& doc, const CAccount& account, const IPlatform& platform,
                   QObject* parent = nullptr);

    [[nodiscard]] int rowCount(const QModelIndex& parent = {}) const override;
    [[nodiscard]] int columnCount(const QModelIndex& parent = {}) const override;
    [[nodiscard]] QVariant data(const QModelIndex& index, int role) const override;
    [[nodiscard]] QVariant headerData(int section, Qt::Orientation orientation,
                                      int role) const override;

    // Only while the account is there (see Follow).
    [[nodiscard]] const CRegister& Register() const { return *m_register; }
    // The account shown; null once a merge took it away.
    [[nodiscard]] const CAccount* Account() const { return m_account; }

    // Takes back what the row shows (UndoRegisterRow, which asks what it must), then lists the
    // account anew. False where nothing changed: the opening row, a row outside, a No.
    bool UndoRow(int row);
    // Lists the account anew, after a change elsewhere.
    void Reload();
    // After a merge replaced every account and expense: the account found again by its lasting
    // id and listed anew. False, the rows gone, where the merge took it away.
    bool Follow();

private:
    [[nodiscard]] QString Other(const RegisterRow& row) const;

    CVerdalonDoc& m_doc;
    const CAccount* m_account;
    ItemId m_accountId;
    const IPlatform& m_platform;
    std::optional<CRegister> m_register; // none once the account is gone
    std::array<QString, 5> m_kinds;      // by RegisterKind
    // Every article's path, made when a row of it is first shown.
    mutable std::unordered_map<const CExpenseArticle*, QString> m_categories;
};

} // namespace tamblero
