// The rows of the "Расходы" dialog: the entries behind one cell of the grid, read in place
// through the core's listing, so a million of them cost an index of their days.
#pragma once

#include "app/core/EntryListing.h"

#include <QAbstractTableModel>

#include <unordered_map>

namespace tamblero {

class CCategoryNode;
class CVerdalonDoc;
class IPlatform;

class CEntriesModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column : int { DateColumn, CategoryColumn, AmountColumn, AccountColumn, ColumnCount };
    enum Role : int {
        // The day number for a date, the amount as an int, the text for the others.
        RawValueRole = Qt::UserRole,
    };

    // The node's entries from first to last day, both included.
    CEntriesModel(CVerdalonDoc& doc, CCategoryNode& node, DayNumber first, DayNumber last,
                  const IPlatform& platform, QObject* parent = nullptr);

    [[nodiscard]] int rowCount(const QModelIndex& parent = {}) const override;
    [[nodiscard]] int columnCount(const QModelIndex& parent = {}) const override;
    [[nodiscard]] QVariant data(const QModelIndex& index, int role) const override;
    [[nodiscard]] QVariant headerData(int section, Qt::Orientation orientation,
                                      int role) const override;

    [[nodiscard]] EntryRow Row(int row) const { return m_listing[static_cast<std::size_t>(row)]; }
    // What the rows add up to: the cell's number.
    [[nodiscard]] Amount Total() const { return m_listing.Total(); }

    // Undoes the row's entry as the history does and takes the row out; a row outside the
    // list does nothing.
    void UndoRow(int row);

private:
    [[nodiscard]] const QString& Category(const CExpenseArticle* article) const;

    CVerdalonDoc& m_doc;
    const IPlatform& m_platform;
    CEntryListing m_listing;
    // Every article's path, made when a row of it is first shown.
    mutable std::unordered_map<const CExpenseArticle*, QString> m_categories;
};

} // namespace tamblero
