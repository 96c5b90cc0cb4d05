#include "core/search/FindBoxSearch.h"

#include <algorithm>
#include <limits>

namespace quillmere {

std::optional<FindSelection> FindBoxSearch::keyReleased(const EntryList& main, const Text& text,
                                                        std::optional<std::size_t> selected) {
    const std::size_t n = text.length;
    const std::size_t findStart =
        n > static_cast<std::size_t>(m_lastFindLength) ? selected.value_or(0) : 0;
    m_lastFindLength = static_cast<std::int16_t>(
        std::min<std::size_t>(n, std::numeric_limits<std::int16_t>::max()));
    if (!text.bytes)
        return std::nullopt;

    const std::string_view wanted = *text.bytes;
    const std::size_t count = main.size();
    for (std::size_t i = findStart; i < count; ++i) {
        if (!main[i].starts_with(wanted))
            continue;
        // Select an entry 14 below the match first, so the match shows with its followers.
        const std::size_t first = i + 15 > count ? count - 1 : i + 14;
        return FindSelection{first, i};
    }
    return std::nullopt;
}

} // namespace quillmere
