#pragma once

#include "core/lists/TrackedLists.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace quillmere {

// What a domain blacklist should not hold, in the order a report gives them for one entry.
enum class CheckReason {
    LeadingBlank,
    TrailingBlank,
    InnerBlank,
    Capitals,        // detail: the entry it equals when folded
    HostCharacter,   // detail: the first byte a host name cannot hold
    Scheme,          // "http://"
    Path,            // a "/" after the host
    Port,            // ":8080"
    AtSign,          // "user@host"
    IpAddress,       // 192.0.2.1, [2001:db8::1]
    EmptyLabel,      // "a..example", or no host name at all
    LeadingDot,      // ".example.com"
    TrailingDot,     // "example.com."
    LongLabel,       // a label over 63 bytes
    LongName,        // a host name over 253 bytes
    LineBreak,       // a lone CR or LF inside the entry
    Repeated,        // detail: the other line holding the same entry
    AddedAndRemoved, // detail: where the other tracking list holds it
};
inline constexpr std::size_t kCheckReasonCount = 18;

// The reason's fixed text, as the report and its summary give it.
std::string_view reasonText(CheckReason reason);

struct CheckFinding {
    ListId list;
    std::size_t line; // the entry's number in its list, from 1
    std::string_view entry;
    CheckReason reason;
    std::string detail; // appended to the reason's text; never holds ": "
};

// The reasons that belong to the entry alone, each once, in report order; a detail is given for
// HostCharacter only.
std::vector<std::pair<CheckReason, std::string>> entryReasons(std::string_view entry);

// Every finding in the lists (or in one of them), sorted by list, line and reason. The lists are
// only read.
std::vector<CheckFinding> checkLists(const TrackedLists& lists,
                                     std::optional<ListId> only = std::nullopt);

// One report line: "main:12: ENTRY: REASON" (the entry's own bytes).
std::string findingLine(const CheckFinding& finding);

// The summary: "5 found: 2 leading blank, 3 same entry twice", or "0 found".
std::string checkSummary(const std::vector<CheckFinding>& findings);

} // namespace quillmere
