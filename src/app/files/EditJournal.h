#pragma once

#include "core/lists/EditRecord.h"
#include "core/lists/TrackedLists.h"

#include <QString>
#include <functional>
#include <string_view>
#include <vector>

namespace quillmere {

enum class JournalProgram { Window, Cli };

// The journal of hand edits, url-domain-log.txt in the tracking data folder.
QString journalPath(const QString& dataPath);

// After a save: appends one line per edit (see appendJournalLine), stamped with the time now (UTC),
// the user, the host and the program, at the end of the file; the file is created when missing
// and never rewritten. The lines are written in pieces of whole lines, so that a million edits
// cost no more memory than a few; the lines of one call are all written or none is (a piece that
// fails, or memory that runs out, takes back what was appended). A journal whose last line was
// cut short gets its CR LF first, so that the cut line stays apart. Nothing is written for no
// edits. Returns an error naming the file, or an empty string. Where the tracking data folder does
// not exist nothing is written and it is not created: the save then wrote no tracking list, and a
// folder made for the journal would hide a wrong one.
QString appendToJournal(const QString& dataPath, const std::vector<Edit>& edits,
                        JournalProgram program);

// The error of a journal that memory ran out for, after the lists were saved.
QString journalOutOfMemoryError(const QString& dataPath);

// Calls line with every line of the journal in order, as cut at each CR LF (empty lines dropped),
// reading it a part at a time, so that a journal of any size costs the memory of its longest
// line. No journal yet has no lines; a folder or FIFO in its place, or a journal that cannot be
// read, gives an error naming the file (the lines before the failure have been handed out).
QString forEachJournalLine(const QString& dataPath,
                           const std::function<void(std::string_view)>& line);

// After a save that succeeded: journals the lists' edits and forgets them, so that the next save
// journals only what was edited after this one. Returns the journal's error, if any.
QString journalSavedEdits(TrackedLists& lists, const QString& dataPath, JournalProgram program);

} // namespace quillmere
