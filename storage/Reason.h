// Why something on disk failed, kept twice: in English as the command line prints it, and as
// a string-table text for the window, which puts the system's own words after it.
#pragma once

#include <string>

namespace tamblero {

struct Reason {
    std::string english; // the whole reason as the command line prints it; empty for none
    unsigned textId = 0; // the window's words, an entry whose "%1" stands for the subject
    std::string subject; // the path or number the entry names, UTF-8; may be empty
    std::string system;  // the system's own reason (strerror), may be empty
};

// The window's words for it: the entry with its subject, then the system's reason after a
// colon. Empty when nothing failed.
[[nodiscard]] std::u16string ReasonText(const Reason& reason);

} // namespace tamblero
