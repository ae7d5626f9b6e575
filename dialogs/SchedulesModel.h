// The scheduled expenses, one row each: the article's path, the amount, the repeat, the next
// day due and the mode; and the occurrences due, each with a check to record or skip it.
#pragma once

#include "schedule/Schedule.h"

#include <QAbstractTableModel>
#include <QString>

#include <vector>

namespace tamblero {

class CVerdalonDoc;

class CSchedulesModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column : int {
        ArticleColumn,
        AmountColumn,
        RepeatColumn,
        NextColumn,
        ModeColumn,
        ColumnCount
    };
    enum Role : int {
        // The article's lasting id, the amount, the repeat's kind, the next day's number (null
        // for none), the mode.
        RawValueRole = Qt::UserRole,
        // The schedule's lasting id, in any column.
        ScheduleIdRole,
    };

    explicit CSchedulesModel(CVerdalonDoc& doc, QObject* parent = nullptr);

    [[nodiscard]] int rowCount(const QModelIndex& parent = {}) const override;
    [[nodiscard]] int columnCount(const QModelIndex& parent = {}) const override;
    [[nodiscard]] QVariant data(const QModelIndex& index, int role) const override;
    [[nodiscard]] QVariant headerData(int section, Qt::Orientation orientation,
                                      int role) const override;

    [[nodiscard]] const Schedule& At(int row) const {
        return m_rows[static_cast<std::size_t>(row)].schedule;
    }
    // The row of the schedule of that id, or -1.
    [[nodiscard]] int RowOf(ItemId id) const;
    // Reads the schedules anew from the document.
    void Reload();

private:
    struct Row {
        Schedule schedule;
        QString article;
        std::optional<DayNumber> next;
    };
    CVerdalonDoc& m_doc;
    std::vector<Row> m_rows;
};

// The occurrences due, each checked at first (one unchecked stays so when the list is read
// anew): the day, the article's path, the amount, the account and the note.
class CDueModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column : int {
        DayColumn,
        ArticleColumn,
        AmountColumn,
        AccountColumn,
        NoteColumn,
        ColumnCount
    };
    enum Role : int {
        // The day's number, the article's lasting id, the amount, the account's lasting id, the
        // note.
        RawValueRole = Qt::UserRole,
    };

    explicit CDueModel(CVerdalonDoc& doc, QObject* parent = nullptr);

    [[nodiscard]] int rowCount(const QModelIndex& parent = {}) const override;
    [[nodiscard]] int columnCount(const QModelIndex& parent = {}) const override;
    [[nodiscard]] QVariant data(const QModelIndex& index, int role) const override;
    [[nodiscard]] QVariant headerData(int section, Qt::Orientation orientation,
                                      int role) const override;
    [[nodiscard]] Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

    [[nodiscard]] const std::vector<DueOccurrence>& Due() const { return m_due; }
    // The checked ones, in order.
    [[nodiscard]] std::vector<DueOccurrence> Checked() const;
    void SetDue(std::vector<DueOccurrence> due);

private:
    struct Texts {
        QString article;
        QString account;
        QString note;
        Amount amount = 0;
        ItemId articleId = kNoId;
        ItemId accountId = kNoId;
    };
    CVerdalonDoc& m_doc;
    std::vector<DueOccurrence> m_due;
    std::vector<Texts> m_texts;
    std::vector<bool> m_checked;
};

// "месяцы" or "месяцы, каждые 2".
[[nodiscard]] QString RepeatText(const ScheduleWhen& when);

} // namespace tamblero
