// The user's changes to the schedules, each one command on the document's undo stack: its
// Redo is the one code that makes it. A schedule keeps its id through every undo and redo;
// each part changed gets a stamp of the ledger's clock and a deletion leaves a record, so that
// the schedules merge with another device's copy as the other items do. The caller names the
// change for the tooltips (it knows the article's name).
#pragma once

#include "model/Identity.h"
#include "model/UndoStack.h"
#include "schedule/Schedule.h"

#include <span>
#include <string>
#include <vector>

namespace tamblero {

class CAddSchedule final : public IUndoCommand {
public:
    CAddSchedule(CScheduleBook& book, CLedgerIds& ids, ScheduleWhat what, ScheduleWhen when,
                 ScheduleMode mode, std::u16string text);
    void Redo() override;
    void Undo() override;
    [[nodiscard]] ItemId Id() const { return m_held.id; }

private:
    CScheduleBook& m_book;
    CLedgerIds& m_ids;
    Schedule m_held; // while it is out
    bool m_bUndone = false;
};

// Its terms, each part stamped where it changes.
class CChangeSchedule final : public IUndoCommand {
public:
    CChangeSchedule(CScheduleBook& book, CLedgerIds& ids, ItemId schedule, ScheduleWhat what,
                    ScheduleWhen when, ScheduleMode mode, std::u16string text);
    void Redo() override { Swap(); }
    void Undo() override { Swap(); }

private:
    void Swap();

    CScheduleBook& m_book;
    CLedgerIds& m_ids;
    ItemId m_id;
    ScheduleWhat m_what; // the values the next undo or redo gives
    ScheduleWhen m_when;
    ScheduleMode m_mode;
};

class CDeleteSchedule final : public IUndoCommand {
public:
    CDeleteSchedule(CScheduleBook& book, CLedgerIds& ids, ItemId schedule, std::u16string text);
    void Redo() override;
    void Undo() override;

private:
    CScheduleBook& m_book;
    CLedgerIds& m_ids;
    ItemId m_id;
    Schedule m_held; // while it is out
};

// Occurrences marked as the user dealt with them (skipped), each mark stamped; undone, they
// are open again, so due again, with a new stamp.
class CMarkOccurrences final : public IUndoCommand {
public:
    CMarkOccurrences(CScheduleBook& book, CLedgerIds& ids, std::span<const DueOccurrence> which,
                     OccurrenceState state, std::u16string text);
    void Redo() override { Set(m_state); }
    void Undo() override { Set(OccurrenceState::Open); }

private:
    void Set(OccurrenceState state);

    CScheduleBook& m_book;
    CLedgerIds& m_ids;
    std::vector<DueOccurrence> m_which;
    OccurrenceState m_state;
};

// The mark of one occurrence, stamped now; nothing where the schedule is gone.
void MarkOccurrence(CScheduleBook& book, CLedgerIds& ids, ItemId schedule, std::uint32_t k,
                    OccurrenceState state);

} // namespace tamblero
