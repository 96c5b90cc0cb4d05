#pragma once

#include "core/lists/EntryList.h"

#include <cstddef>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace quillmere {

// How many copies of each text a command given many domains takes out of a list, found in one
// pass over the list: the same entries that as many first-match lookups, one after the other,
// would take, each taking the first copy the ones before it left.
//
// The texts are views; what they view must outlive this.
class WantedCopies final {
public:
    // One more copy of the text is wanted.
    void want(std::string_view text);

    // The rows, ascending, of the first wanted copies of each text in the list. The pass stops
    // once every wanted copy is found. Called once, after every want.
    std::vector<std::size_t> findIn(const EntryList& list);

    // How many copies of the text findIn found and takeOne has not handed out yet.
    std::size_t found(std::string_view text) const;

    // Hands out one of the copies of the text that findIn found; false when none is left.
    bool takeOne(std::string_view text);

private:
    struct Count {
        std::size_t wanted = 0;
        std::size_t found = 0;
    };
    std::unordered_map<std::string_view, Count> m_counts;
    std::size_t m_wanted = 0;
};

} // namespace quillmere
