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

// The journal's lines for the edits, each followed by CR LF. Fields are separated by one tab:
//   TIME USER HOST PROGRAM ACTION DOMAIN            add, remove, unadd, reactivate, clear, trim
//   TIME USER HOST PROGRAM sort LIST                main, added or removed
//   TIME USER HOST PROGRAM ACTION GAINED LOST FILE  merge, rebuild (FILE empty), restore
// The last field is the rest of the line, so a domain or file keeps its tabs; a tab, CR or LF in
// the other fields becomes a blank.
std::string journalText(const std::vector<Edit>& edits, const JournalStamp& stamp);

// The domain a journal line is about, when its action moves one domain.
std::optional<std::string_view> journalLineDomain(std::string_view line);

} // namespace quillmere
