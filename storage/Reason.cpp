#include "storage/Reason.h"

#include "app/platform/Utf.h"
#include "resources/StringTable.h"

namespace tamblero {

std::u16string ReasonText(const Reason& reason) {
    if (reason.english.empty() && reason.textId == 0) {
        return {};
    }
    // Never the English words: a reason without its own entry says only that it is unknown.
    std::u16string text = FormatString(reason.textId != 0 ? reason.textId : IDS_REASON_UNKNOWN,
                                       {Utf16FromUtf8(reason.subject)});
    if (!reason.system.empty()) {
        text += u": " + Utf16FromUtf8(reason.system);
    }
    return text;
}

} // namespace tamblero
