#pragma once

#include "core/lists/EditRecord.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillmere {

// Who saved the edits, and when: the same for every line of one save.
struct JournalStamp {
    std::string time; // UTC, "2026-12-08T05:19:49Z"
    std::string user;
    std::string host;
    std::string program; // "window" or "cli"
};

// The start of every journal line of one save: TIME USER HOST PROGRAM, each followed by a tab.
std::string journalLineStart(const JournalStamp& stamp);

// Appends the journal's line for the edit, after the line start, followed by CR LF. Fields are
// separated by one tab:
//   TIME USER HOST PROGRAM ACTION DOMAIN            add, remove, unadd, reactivate, clear, trim
//   TIME USER HOST PROGRAM sort LIST                main, added or removed
//   TIME USER HOST PROGRAM ACTION GAINED LOST FILE  merge, rebuild (FILE empty), restore
// The last field is the rest of the line, so a domain or file keeps its tabs; a tab, CR or LF in
// the other fields becomes a blank. file is FILE as the journal holds it (the edit's file is the
// caller's to convert).
void appendJournalLine(std::string& text, std::string_view lineStart, const Edit& edit,
                       std::string_view file);

// The domain a journal line is about, when its action moves one domain.
std::optional<std::string_view> journalLineDomain(std::string_view line);

} // namespace quillmere
