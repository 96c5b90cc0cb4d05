#include "core/lists/WantedCopies.h"

namespace quillmere {

void WantedCopies::want(std::string_view text) {
    ++m_counts[text].wanted;
    ++m_wanted;
}

std::vector<std::size_t> WantedCopies::findIn(const EntryList& list) {
    std::vector<std::size_t> rows;
    std::size_t missing = m_wanted;
    for (std::size_t row = 0; row < list.size() && missing > 0; ++row) {
        const auto it = m_counts.find(list[row]);
        if (it == m_counts.end() || it->second.found == it->second.wanted)
            continue;
        ++it->second.found;
        --missing;
        rows.push_back(row);
    }
    return rows;
}

std::size_t WantedCopies::found(std::string_view text) const {
    const auto it = m_counts.find(text);
    return it == m_counts.end() ? 0 : it->second.found;
}

bool WantedCopies::takeOne(std::string_view text) {
    const auto it = m_counts.find(text);
    if (it == m_counts.end() || it->second.found == 0)
        return false;
    --it->second.found;
    return true;
}

} // namespace quillmere
