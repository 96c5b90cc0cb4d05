#pragma once

#include "core/lists/EntryList.h"

namespace quillmere {

// Re-applies the changes that turned `base` (a list as it was loaded) into `mine` (the list as
// edited here) to `theirs` (the list as another program saved it since), so that both programs'
// changes survive. The editing commands only append entries and remove first copies, so a list's
// change is exactly how many copies of each entry it gained or lost:
// - each entry ends with theirs' copies plus the copies mine gained or minus those mine lost;
//   where both sides gained (or both lost) copies of the same entry, the larger change counts
//   once, so a domain that both added is listed once, as "add" would have it;
// - lost copies are taken from the front of `theirs`, as the commands remove the first equal
//   entry; gained copies are appended in the order mine has them;
// - `sorted`: mine was sorted since the load, so the result is sorted as "sort" sorts.
EntryList reapplyChanges(const EntryList& base, const EntryList& mine, const EntryList& theirs,
                         bool sorted);

} // namespace quillmere
