#include "schedule/ScheduleChanges.h"

#include <utility>

namespace tamblero {

CAddSchedule::CAddSchedule(CScheduleBook& book, CLedgerIds& ids, ScheduleWhat what,
                           ScheduleWhen when, ScheduleMode mode, std::u16string text)
    : IUndoCommand(std::move(text)), m_book(book), m_ids(ids) {
    m_held.id = ids.NewId();
    m_held.what = std::move(what);
    m_held.when = when;
    m_held.mode = mode;
    const CStamp made = ids.Stamp();
    m_held.whatStamp = m_held.whenStamp = m_held.modeStamp = made;
}

void CAddSchedule::Redo() {
    if (m_bUndone) {
        // Its return outdates the deletion a copy may have taken from its undoing.
        m_book.Unbury(m_held.id);
        m_held.modeStamp = m_ids.Stamp();
    }
    m_book.Put(m_held);
}

void CAddSchedule::Undo() {
    m_held = *m_book.Take(m_held.id);
    m_book.Bury(m_held, m_ids.Stamp());
    m_bUndone = true;
}

CChangeSchedule::CChangeSchedule(CScheduleBook& book, CLedgerIds& ids, ItemId schedule,
                                 ScheduleWhat what, ScheduleWhen when, ScheduleMode mode,
                                 std::u16string text)
    : IUndoCommand(std::move(text)), m_book(book), m_ids(ids), m_id(schedule),
      m_what(std::move(what)), m_when(when), m_mode(mode) {}

void CChangeSchedule::Swap() {
    Schedule& s = *m_book.Find(m_id);
    // Only what differs is stamped: a merge keeps another copy's change of the rest.
    if (s.what != m_what) {
        std::swap(s.what, m_what);
        s.whatStamp = m_ids.Stamp();
    }
    if (s.when != m_when) {
        std::swap(s.when, m_when);
        s.whenStamp = m_ids.Stamp();
    }
    if (s.mode != m_mode) {
        std::swap(s.mode, m_mode);
        s.modeStamp = m_ids.Stamp();
    }
}

CDeleteSchedule::CDeleteSchedule(CScheduleBook& book, CLedgerIds& ids, ItemId schedule,
                                 std::u16string text)
    : IUndoCommand(std::move(text)), m_book(book), m_ids(ids), m_id(schedule) {}

void CDeleteSchedule::Redo() {
    m_held = *m_book.Take(m_id);
    m_book.Bury(m_held, m_ids.Stamp());
}

void CDeleteSchedule::Undo() {
    m_book.Unbury(m_id);
    m_held.modeStamp = m_ids.Stamp();
    m_book.Put(std::move(m_held));
}

CMarkOccurrences::CMarkOccurrences(CScheduleBook& book, CLedgerIds& ids,
                                   std::span<const DueOccurrence> which, OccurrenceState state,
                                   std::u16string text)
    : IUndoCommand(std::move(text)), m_book(book), m_ids(ids), m_which(which.begin(), which.end()),
      m_state(state) {}

void CMarkOccurrences::Set(OccurrenceState state) {
    for (const DueOccurrence& o : m_which) {
        MarkOccurrence(m_book, m_ids, o.schedule, o.k, state);
    }
}

void MarkOccurrence(CScheduleBook& book, CLedgerIds& ids, ItemId schedule, std::uint32_t k,
                    OccurrenceState state) {
    if (Schedule* s = book.Find(schedule)) {
        s->marks[k] = {state, ids.Stamp()};
    }
}

} // namespace tamblero
