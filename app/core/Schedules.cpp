#include "app/core/Schedules.h"

#include "app/core/EntryListing.h"
#include "model/Account.h"
#include "model/CategoryNode.h"
#include "model/ModelHost.h"
#include "model/Notes.h"
#include "resources/StringTable.h"
#include "schedule/ScheduleChanges.h"
#include "storage/VerdalonDoc.h"

#include <memory>
#include <utility>

namespace tamblero {

namespace {

std::u16string NameOf(CVerdalonDoc& doc, ItemId article) {
    const CCategoryNode* node =
        doc.GetRoot() != nullptr ? FindNodeWithId(*doc.GetRoot(), article) : nullptr;
    return node != nullptr ? node->GetName() : std::u16string{};
}

// The occurrence's expense: its id, debiting its account, and its mark.
class CRecordOccurrence final : public IUndoCommand {
public:
    CRecordOccurrence(CVerdalonDoc& doc, CExpenseArticle& article, CAccount* account,
                      const Schedule& schedule, const DueOccurrence& due)
        : IUndoCommand(FormatString(IDS_CHANGE_RECORD_OCCURRENCE, {article.GetName()})), m_doc(doc),
          m_article(article), m_account(account), m_schedule(schedule.id), m_k(due.k),
          m_day(due.day), m_amount(schedule.what.amount),
          m_note(doc.Notes().Add(CleanNote(schedule.what.note))),
          m_id(OccurrenceExpenseId(doc.Ids(), schedule.id, due.k)) {}

    void Redo() override {
        const CEntryList* list = std::as_const(m_article).FindDay(m_day);
        m_countBefore = list != nullptr ? list->GetCount() : -1;
        m_article.AddEntry(m_day, m_amount, m_account, m_note, m_id);
        // Present from now: a copy that recorded it and took it back earlier does not take it.
        m_doc.Ids().ExpenseBack(m_id);
        MarkOccurrence(m_doc.Schedules(), m_doc.Ids(), m_schedule, m_k, OccurrenceState::Recorded);
    }
    void Undo() override {
        m_doc.Ids().ExpenseGone(m_id);
        m_article.Days().Shrink(m_day, m_countBefore);
        if (m_account != nullptr) {
            m_account->AdjustBalance(m_amount);
        }
        if (g_pMainFrame != nullptr && g_pMainFrame->CurrentPeriod().SpanContains(m_day)) {
            m_article.InvalidateChain();
        }
        MarkOccurrence(m_doc.Schedules(), m_doc.Ids(), m_schedule, m_k, OccurrenceState::Open);
    }
    [[nodiscard]] std::vector<BalanceMove> BalanceMoves() const override {
        return {{m_account, -std::int64_t{m_amount}}};
    }

private:
    CVerdalonDoc& m_doc;
    CExpenseArticle& m_article;
    CAccount* m_account;
    ItemId m_schedule;
    std::uint32_t m_k;
    DayNumber m_day;
    Amount m_amount;
    NoteKey m_note;
    ItemId m_id;
    int m_countBefore = -1;
};

} // namespace

CExpenseArticle* ArticleOf(CVerdalonDoc& doc, const Schedule& schedule) {
    CCategoryNode* node =
        doc.GetRoot() != nullptr ? FindNodeWithId(*doc.GetRoot(), schedule.what.article) : nullptr;
    return node != nullptr ? node->AsArticle() : nullptr;
}

std::u16string ArticlePathOf(CVerdalonDoc& doc, const Schedule& schedule) {
    const CExpenseArticle* article = ArticleOf(doc, schedule);
    return article != nullptr ? CategoryPath(*article) : std::u16string{};
}

CAccount* AccountOf(CVerdalonDoc& doc, const Schedule& schedule) {
    if (schedule.what.account == kNoId) {
        return nullptr;
    }
    const int index = doc.Accounts().IndexOfId(schedule.what.account);
    return index >= 0 && index < doc.Accounts().GetNameableCount() ? doc.Accounts().GetAt(index)
                                                                   : nullptr;
}

ItemId AddSchedule(CVerdalonDoc& doc, const ScheduleWhat& what, const ScheduleWhen& when,
                   ScheduleMode mode) {
    const std::u16string name = NameOf(doc, what.article);
    if (name.empty()) {
        return kNoId;
    }
    ScheduleWhat clean = what;
    clean.note = CleanNote(what.note);
    auto change =
        std::make_unique<CAddSchedule>(doc.Schedules(), doc.Ids(), std::move(clean), when, mode,
                                       FormatString(IDS_CHANGE_NEW_SCHEDULE, {name}));
    const ItemId id = change->Id();
    doc.MakeChange(std::move(change));
    return id;
}

void ChangeSchedule(CVerdalonDoc& doc, ItemId schedule, const ScheduleWhat& what,
                    const ScheduleWhen& when, ScheduleMode mode) {
    const Schedule* s = doc.Schedules().Find(schedule);
    ScheduleWhat clean = what;
    clean.note = CleanNote(what.note);
    if (s == nullptr || (s->what == clean && s->when == when && s->mode == mode)) {
        return;
    }
    doc.MakeChange(std::make_unique<CChangeSchedule>(
        doc.Schedules(), doc.Ids(), schedule, std::move(clean), when, mode,
        FormatString(IDS_CHANGE_EDIT_SCHEDULE, {NameOf(doc, s->what.article)})));
}

void DeleteSchedule(CVerdalonDoc& doc, ItemId schedule) {
    const Schedule* s = doc.Schedules().Find(schedule);
    if (s == nullptr) {
        return;
    }
    doc.MakeChange(std::make_unique<CDeleteSchedule>(
        doc.Schedules(), doc.Ids(), schedule,
        FormatString(IDS_CHANGE_DELETE_SCHEDULE, {NameOf(doc, s->what.article)})));
}

std::vector<DueOccurrence> DueOccurrences(CVerdalonDoc& doc, DayNumber upTo) {
    std::vector<DueOccurrence> due = doc.Schedules().Due(upTo);
    std::erase_if(due, [&doc](const DueOccurrence& d) {
        return ArticleOf(doc, *doc.Schedules().Find(d.schedule)) == nullptr;
    });
    return due;
}

Recorded RecordOccurrence(CVerdalonDoc& doc, const DueOccurrence& due) {
    const Schedule* schedule = doc.Schedules().Find(due.schedule);
    CExpenseArticle* article = schedule != nullptr ? ArticleOf(doc, *schedule) : nullptr;
    if (article == nullptr || due.day > kLastValidDay) {
        return Recorded::Refused;
    }
    // A merge brought another device's recording of it: one expense, only marked here.
    const ItemId id = OccurrenceExpenseId(doc.Ids(), due.schedule, due.k);
    if (const CEntryList* list = std::as_const(*article).FindDay(due.day)) {
        for (const CExpenseEntry& e : list->Entries()) {
            if (e.m_nId == id) {
                doc.MakeChange(std::make_unique<CMarkOccurrences>(
                    doc.Schedules(), doc.Ids(), std::span(&due, 1), OccurrenceState::Recorded,
                    FormatString(IDS_CHANGE_RECORD_OCCURRENCE, {article->GetName()})));
                return Recorded::Already;
            }
        }
    }
    CAccount* account = AccountOf(doc, *schedule);
    if (account != nullptr && !account->MayChangeBy(-std::int64_t{schedule->what.amount})) {
        return Recorded::Refused;
    }
    doc.MakeChange(std::make_unique<CRecordOccurrence>(doc, *article, account, *schedule, due));
    return Recorded::Yes;
}

void SkipOccurrences(CVerdalonDoc& doc, std::span<const DueOccurrence> due) {
    if (due.empty()) {
        return;
    }
    doc.MakeChange(std::make_unique<CMarkOccurrences>(doc.Schedules(), doc.Ids(), due,
                                                      OccurrenceState::Skipped,
                                                      LoadString(IDS_CHANGE_SKIP_OCCURRENCES)));
}

} // namespace tamblero
