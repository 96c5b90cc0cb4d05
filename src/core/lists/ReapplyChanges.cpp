#include "core/lists/ReapplyChanges.h"

#include "core/lists/SortList.h"

#include <algorithm>
#include <cstddef>
#include <unordered_map>

namespace quillmere {

namespace {

struct Copies {
    std::size_t base = 0;
    std::size_t mine = 0;
    std::size_t theirs = 0;
    std::size_t seenInMine = 0;
    std::size_t dropped = 0;

    std::size_t result() const {
        if (mine > base) // gained here; gains made there too count once
            return theirs > base ? std::max(theirs, mine) : theirs + (mine - base);
        if (mine < base) // lost here; losses made there too count once
            return theirs < base ? std::min(theirs, mine) : theirs - (base - mine);
        return theirs;
    }
};

std::vector<EntryList::Block> blocksOf(const EntryList& a, const EntryList& b) {
    std::vector<EntryList::Block> blocks = a.blocks();
    blocks.insert(blocks.end(), b.blocks().begin(), b.blocks().end());
    return blocks;
}

} // namespace

EntryList reapplyChanges(const EntryList& base, const EntryList& mine, const EntryList& theirs,
                         bool sorted) {
    std::unordered_map<std::string_view, Copies> copies;
    copies.reserve(theirs.size() + mine.size() / 8 + 16);
    for (std::string_view entry : base)
        ++copies[entry].base;
    for (std::string_view entry : mine)
        ++copies[entry].mine;
    for (std::string_view entry : theirs)
        ++copies[entry].theirs;

    std::vector<std::string_view> result;
    result.reserve(theirs.size() + mine.size());
    for (std::string_view entry : theirs) {
        Copies& c = copies[entry];
        if (c.dropped < c.theirs - std::min(c.theirs, c.result()))
            ++c.dropped;
        else
            result.push_back(entry);
    }
    // The copies gained are the last ones of each entry in mine, in the order mine has them.
    for (std::string_view entry : mine) {
        Copies& c = copies[entry];
        const std::size_t gained = c.result() > c.theirs ? c.result() - c.theirs : 0;
        if (++c.seenInMine > c.mine - gained)
            result.push_back(entry);
    }
    if (sorted)
        sortEntries(result);
    return EntryList::fromViews(std::move(result), blocksOf(theirs, mine));
}

} // namespace quillmere
