// A large document whose content is a function of a generation number, for the crash test.
#pragma once

#include "storage/VerdalonDoc.h"

namespace tamblero::safety {

// Fills an empty document: one account and a tree of groups and articles holding
// `entries` expenses spread over many days.
void BuildLargeDocument(CVerdalonDoc& doc, int entries);

// Makes the document the one of generation g: the account's balance is g, the last
// article is named after g, and odd generations carry one more article at the end,
// so two consecutive generations differ near the start, near the end and in length.
void StampGeneration(CVerdalonDoc& doc, int g);

// The generation a document or a file read back belongs to.
[[nodiscard]] int GenerationOf(const CAccountList& accounts);

} // namespace tamblero::safety
