#pragma once

#include "core/lists/EditRecord.h"
#include "core/lists/TrackedLists.h"

#include <QString>
#include <vector>

namespace quillmere {

enum class JournalProgram { Window, Cli };

// The journal of hand edits, url-domain-log.txt in the tracking data folder.
QString journalPath(const QString& dataPath);

// Appends one line per edit (see journalText), stamped with the time now (UTC), the user, the host
// and the program, in one write at the end of the file; the file is created when missing and never
// rewritten. A journal whose last line was cut short gets its CR LF first, so that the cut line
// stays apart. Nothing is written for no edits. Returns an error naming the file, or an empty
// string. Where the tracking data folder does not exist nothing is written and it is not created:
// the save then wrote no tracking list, and a folder made for the journal would hide a wrong one.
QString appendToJournal(const QString& dataPath, const std::vector<Edit>& edits,
                        JournalProgram program);

// After a save that succeeded: journals the lists' edits and forgets them, so that the next save
// journals only what was edited after this one. Returns the journal's error, if any.
QString journalSavedEdits(TrackedLists& lists, const QString& dataPath, JournalProgram program);

} // namespace quillmere
