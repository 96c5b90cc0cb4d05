#pragma once

#include "core/lists/TrackedLists.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace quillmere {

enum class MatchKind {
    Exact,          // the entry is the domain, byte for byte
    OtherCase,      // the entry differs from the domain in letter case only
    Parent,         // a Main entry that is a parent domain: example.com for a.b.example.com
    ParentOtherCase // a parent domain that differs in letter case only
};

struct QueryHit {
    ListId list;
    std::size_t line; // the entry's number in its list, from 1
    std::string_view entry;
    MatchKind kind;
};

// Where one domain stands: every hit in the Main list in line order, then the Added list, then the
// Removed list. inMain: the Main list holds the domain itself, byte for byte.
struct DomainAnswer {
    std::vector<QueryHit> hits;
    bool inMain = false;
};

// Answers every domain in one pass over each list, with no sort: each entry is looked up among the
// domains and their parent domains. Parent domains are looked for in the Main list only, since
// that is the list the mail server matches a host against. The other-case kinds are given only
// with ignoreCase. Hits view the lists' entries.
std::vector<DomainAnswer> queryDomains(const TrackedLists& lists,
                                       const std::vector<std::string>& domains, bool ignoreCase);

} // namespace quillmere
