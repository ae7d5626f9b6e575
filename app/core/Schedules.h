// The scheduled expenses as both front ends use them: their changes, each one command on the
// document's undo stack, and their due occurrences recorded or skipped.
//
// A recorded occurrence is an ordinary expense of the schedule's article on the occurrence's
// day, with the id OccurrenceExpenseId gives it, each its own undoable change; undone, the
// occurrence is open again, so due again. A skipped one is not asked for again (an undone skip
// is due again too). The occurrence's id is the same on every device, so that two devices that
// both recorded it hold one expense after a merge.
#pragma once

#include "schedule/Schedule.h"

#include <optional>
#include <span>
#include <string>
#include <vector>

namespace tamblero {

class CAccount;
class CExpenseArticle;
class CVerdalonDoc;

// A schedule's article, or none where it is gone.
[[nodiscard]] CExpenseArticle* ArticleOf(CVerdalonDoc& doc, const Schedule& schedule);
// "Еда / Кафе": the article's path under the root, or empty where it is gone.
[[nodiscard]] std::u16string ArticlePathOf(CVerdalonDoc& doc, const Schedule& schedule);
// The schedule's account, or none where it names none or the account is gone.
[[nodiscard]] CAccount* AccountOf(CVerdalonDoc& doc, const Schedule& schedule);

// A new schedule; its id, or none where nothing was made (its article is gone).
ItemId AddSchedule(CVerdalonDoc& doc, const ScheduleWhat& what, const ScheduleWhen& when,
                   ScheduleMode mode);
// Nothing where the schedule is gone or nothing differs.
void ChangeSchedule(CVerdalonDoc& doc, ItemId schedule, const ScheduleWhat& what,
                    const ScheduleWhen& when, ScheduleMode mode);
void DeleteSchedule(CVerdalonDoc& doc, ItemId schedule);

// The occurrences due on or before the day whose schedule's article is still there, by day.
[[nodiscard]] std::vector<DueOccurrence> DueOccurrences(CVerdalonDoc& doc, DayNumber upTo);

// What recording one occurrence came to.
enum class Recorded {
    Yes,
    Already, // an expense of its id is already there (a merge brought it): only marked
    Refused  // its article is gone, its account cannot pay it (the user was told), or a No
};
// Records the occurrence as one undoable change, asking about the account's balance as every
// expense does.
Recorded RecordOccurrence(CVerdalonDoc& doc, const DueOccurrence& due);
// Marks them skipped, as one undoable change; nothing for none.
void SkipOccurrences(CVerdalonDoc& doc, std::span<const DueOccurrence> due);

} // namespace tamblero
