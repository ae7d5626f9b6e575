#include "app/cli/Entries.h"

#include "app/cli/TextFormat.h"
#include "app/core/EntryListing.h"
#include "app/core/MainFrameCore.h"
#include "app/platform/Utf.h"
#include "model/Account.h"
#include "model/CategoryNode.h"
#include "storage/VerdalonDoc.h"

#include <string>
#include <vector>

namespace tamblero::cli {

bool WriteEntries(std::ostream& out, std::ostream& err, CVerdalonDoc& doc, IPlatform& platform,
                  const Request& request) {
    CCategoryNode* node = doc.GetRoot() != nullptr
                              ? FindCategory(*doc.GetRoot(), Utf16FromUtf8(request.node))
                              : nullptr;
    if (node == nullptr) {
        err << "tamblero-cli: no category '" << request.node << "' in the data file\n";
        return false;
    }
    DayNumber first = 0;
    DayNumber last = kLastValidDay;
    std::vector<bool> matching; // by note key, for a match
    if (request.match) {
        matching = CNoteSearch(doc.Notes()).Matching(Utf16FromUtf8(*request.match));
    } else {
        // The period as the window builds it, all time spanning every recorded day.
        CMainFrameCore frame(platform);
        frame.SetDocument(&doc);
        frame.m_nPeriodKind = request.periodKind;
        frame.m_nAnchorDay = Today(platform);
        frame.RefreshPeriod();
        const CPeriod& period = frame.m_period;
        const int column = request.column ? *request.column - 1 : period.IndexOfToday(platform);
        if (column < 0 || column >= period.GetCount()) {
            err << "tamblero-cli: the period has " << period.GetCount() << " columns, not "
                << column + 1 << '\n';
            return false;
        }
        first = period.GetAt(column).m_firstDay;
        last = period.GetAt(column).m_lastDay;
    }

    const std::string header[] = {"date", "category", "amount", "account", "note"};
    WriteCsvRow(out, header);
    CExportPaths categories;
    CEntryListing(*node, first, last).ForEach([&](const EntryRow& row) {
        if (request.match && (row.note >= matching.size() || !matching[row.note])) {
            return;
        }
        const std::string fields[] = {
            IsoDate(row.day), categories.Of(*row.article), std::to_string(row.amount),
            row.account != nullptr ? Utf8FromUtf16(row.account->m_strName) : std::string(),
            NoteText(doc.Notes(), row.note)};
        WriteCsvRow(out, fields);
    });
    return true;
}

} // namespace tamblero::cli
