#include "core/lists/WantedCopies.h"

#include "core/lists/EntryHash.h"

#include <algorithm>

namespace quillmere {

namespace {

std::uint16_t tagOf(std::uint64_t hash) {
    return static_cast<std::uint16_t>((hash >> 48) | 1U);
}

} // namespace

WantedCopies::WantedCopies(std::size_t expected) {
    std::size_t slots = 16;
    while (slots < 2 * expected)
        slots *= 2;
    m_tags.assign(slots, 0);
    m_slots.assign(slots, 0);
    m_mask = slots - 1;
    m_seen = HashFilter(4 * slots);
    m_texts.reserve(expected);
}

std::size_t WantedCopies::indexOf(std::string_view text, std::uint64_t hash) const {
    const std::uint16_t tag = tagOf(hash);
    for (std::size_t slot = hash & m_mask; m_tags[slot] != 0; slot = (slot + 1) & m_mask) {
        if (m_tags[slot] == tag && m_texts[m_slots[slot]].text == text)
            return m_slots[slot];
    }
    return kNone;
}

void WantedCopies::place(std::size_t index, std::uint64_t hash) {
    std::size_t slot = hash & m_mask;
    while (m_tags[slot] != 0)
        slot = (slot + 1) & m_mask;
    m_tags[slot] = tagOf(hash);
    m_slots[slot] = static_cast<std::uint32_t>(index);
    m_seen.add(hash);
}

void WantedCopies::grow() {
    const std::size_t slots = 2 * m_tags.size();
    m_tags.assign(slots, 0);
    m_slots.assign(slots, 0);
    m_mask = slots - 1;
    m_seen = HashFilter(4 * slots);
    for (std::size_t index = 0; index < m_texts.size(); ++index)
        place(index, hashEntry(m_texts[index].text));
}

std::size_t WantedCopies::want(std::string_view text) {
    ++m_wanted;
    const std::uint64_t hash = hashEntry(text);
    if (const std::size_t index = indexOf(text, hash); index != kNone) {
        ++m_texts[index].wanted;
        return index;
    }
    m_texts.push_back({text, 1, 0});
    if (text.size() < kShortLengths)
        m_lengths.set(text.size());
    else
        m_anyLong = true;
    if (2 * m_texts.size() > m_tags.size())
        grow();
    else
        place(m_texts.size() - 1, hash);
    return m_texts.size() - 1;
}

void WantedCopies::restart(std::span<const std::size_t> numbers) {
    for (Text& text : m_texts) {
        text.wanted = 0;
        text.found = 0;
    }
    for (std::size_t number : numbers)
        ++m_texts[number].wanted;
    m_wanted = numbers.size();
}

std::vector<std::size_t> WantedCopies::findIn(const EntryList& list) {
    std::vector<std::size_t> rows;
    rows.reserve(std::min(m_wanted, list.size()));
    std::size_t missing = m_wanted;
    for (std::size_t row = 0; row < list.size() && missing > 0; ++row) {
        const std::string_view entry = list[row];
        if (entry.size() < kShortLengths ? !m_lengths.test(entry.size()) : !m_anyLong)
            continue;
        const std::uint64_t hash = hashEntry(entry);
        if (!m_seen.mayHold(hash))
            continue;
        const std::size_t index = indexOf(entry, hash);
        if (index == kNone || m_texts[index].found == m_texts[index].wanted)
            continue;
        ++m_texts[index].found;
        --missing;
        rows.push_back(row);
    }
    return rows;
}

bool WantedCopies::takeOne(std::size_t number) {
    if (m_texts[number].found == 0)
        return false;
    --m_texts[number].found;
    return true;
}

} // namespace quillmere
