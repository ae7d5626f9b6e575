// The rows of the "Расходы" dialog: the entries behind one cell of the grid, or every entry
// whose note holds a text, read in place through the core's listing, so a million of them
// cost an index of their days.
#pragma once

#include "app/core/EntryListing.h"
#include "model/Notes.h"

#include <QAbstractTableModel>

#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

namespace tamblero {

class CCategoryNode;
class CVerdalonDoc;
class IPlatform;

class CEntriesModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column : int {
        DateColumn,
        CategoryColumn,
        AmountColumn,
        AccountColumn,
        NoteColumn,
        ColumnCount
    };
    enum Role : int {
        // The day number for a date, the amount as an int, the text for the others.
        RawValueRole = Qt::UserRole,
    };

    // The node's entries from first to last day, both included.
    CEntriesModel(CVerdalonDoc& doc, CCategoryNode& node, DayNumber first, DayNumber last,
                  const IPlatform& platform, QObject* parent = nullptr);
    // Every entry of the document whose note holds a text (SetMatch); at first, every entry
    // with a note.
    CEntriesModel(CVerdalonDoc& doc, const IPlatform& platform, QObject* parent = nullptr);

    [[nodiscard]] int rowCount(const QModelIndex& parent = {}) const override;
    [[nodiscard]] int columnCount(const QModelIndex& parent = {}) const override;
    [[nodiscard]] QVariant data(const QModelIndex& index, int role) const override;
    [[nodiscard]] QVariant headerData(int section, Qt::Orientation orientation,
                                      int role) const override;
    [[nodiscard]] Qt::ItemFlags flags(const QModelIndex& index) const override;
    // A note edited in its cell: one undoable change (SetNote).
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

    [[nodiscard]] EntryRow Row(int row) const;
    // What the rows add up to: the cell's number, or the found entries' sum.
    [[nodiscard]] Amount Total() const;

    // Of a model over the whole document: the rows become the entries whose note holds the
    // text, case aside; an empty text, every entry with a note.
    void SetMatch(std::u16string_view text);
    // Folds the notes for the first SetMatch ahead of it, while the user has yet to type.
    void PrepareMatch();

    // Undoes the row's entry as the history does and takes the row out; a row outside the
    // list does nothing.
    void UndoRow(int row);
    // Lists the entries anew, after a change that may have moved any of them.
    void Reload();
    // After a merge replaced every object: the node is found again by its id and its entries
    // listed anew. False, and no rows, where the merge deleted the node.
    bool Follow();
    // The node listed; null once a merge deleted it.
    [[nodiscard]] CCategoryNode* Node() const { return m_node; }

private:
    [[nodiscard]] const QString& Category(const CExpenseArticle* article) const;

    CVerdalonDoc& m_doc;
    const IPlatform& m_platform;
    // What the listing lists: the node's entries over the days, or the whole document's.
    CCategoryNode* m_node;
    ItemId m_nodeId;
    DayNumber m_first;
    DayNumber m_last;
    CEntryListing m_listing;
    // Of a model that finds by note: the search, and the listing's rows it found.
    std::unique_ptr<CNoteSearch> m_search;
    std::vector<NotedRow> m_noted;
    RowSelection m_found;
    std::u16string m_match; // the text the rows hold
    // Every article's path, made when a row of it is first shown.
    mutable std::unordered_map<const CExpenseArticle*, QString> m_categories;
};

} // namespace tamblero
