#include "core/eval/AddedEvaluation.h"

#include "core/lists/EntryHash.h"
#include "core/lists/FilePieces.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace quillmere {

namespace {

// The distinct Added entries in an open-addressing table four to eight times their count. Each
// slot holds sixteen bits of the entry's hash (zero: empty), in an array that stays in the
// processor's cache, so that each of the release's millions of lines costs one hash and nearly
// always one look at an empty slot; the entries themselves are read only when those bits agree.
class AddedIndex final {
public:
    explicit AddedIndex(const EntryList& added)
        : m_added(added)
        , m_first(added.size()) {
        std::size_t slots = 16;
        while (slots < 4 * added.size())
            slots *= 2;
        m_tags.assign(slots, 0);
        m_entries.resize(slots);
        m_mask = slots - 1;
        for (std::size_t k = 0; k < added.size(); ++k) {
            const std::uint64_t hash = hashEntry(added[k]);
            std::size_t slot = hash & m_mask;
            for (; m_tags[slot] != 0; slot = (slot + 1) & m_mask) {
                if (m_tags[slot] == tagOf(hash) && added[m_entries[slot]] == added[k])
                    break;
            }
            if (m_tags[slot] == 0) {
                m_tags[slot] = tagOf(hash);
                m_entries[slot] = k;
            }
            m_first[k] = m_entries[slot];
        }
    }

    // The first Added entry equal to the text, or none.
    std::optional<std::size_t> find(std::string_view text) const {
        const std::uint64_t hash = hashEntry(text);
        for (std::size_t slot = hash & m_mask; m_tags[slot] != 0; slot = (slot + 1) & m_mask) {
            if (m_tags[slot] == tagOf(hash) && m_added[m_entries[slot]] == text)
                return m_entries[slot];
        }
        return std::nullopt;
    }

    // The first Added entry equal to the kth.
    std::size_t firstCopy(std::size_t k) const { return m_first[k]; }

private:
    static std::uint16_t tagOf(std::uint64_t hash) {
        return static_cast<std::uint16_t>((hash >> 48) | 1U);
    }

    const EntryList& m_added;
    std::vector<std::uint16_t> m_tags;
    std::vector<std::size_t> m_entries;
    std::size_t m_mask = 0;
    std::vector<std::size_t> m_first;
};

} // namespace

AddedEvaluation evaluateAdded(const EntryList& added, std::string_view releaseBytes,
                              const std::function<void(std::string_view)>& progress) {
    if (progress)
        progress(kEvalScanningText);
    const AddedIndex index(added);
    std::vector<bool> listed(added.size());
    if (!added.empty()) {
        forEachFilePiece(releaseBytes, [&index, &listed](std::string_view line) {
            if (const auto k = index.find(line))
                listed[*k] = true;
        });
    }

    // Only non-empty entries are shown and kept by a trim.
    std::vector<std::string_view> uniqueViews;
    std::vector<std::string_view> listedViews;
    for (std::size_t k = 0; k < added.size(); ++k) {
        if (!added[k].empty())
            (listed[index.firstCopy(k)] ? listedViews : uniqueViews).push_back(added[k]);
    }
    return {EntryList::fromViews(std::move(uniqueViews), added.blocks()),
            EntryList::fromViews(std::move(listedViews), added.blocks())};
}

void trimAdded(TrackedLists& lists, const AddedEvaluation& evaluation) {
    for (std::string_view entry : evaluation.listed)
        lists.edits().recordDomain(EditAction::Trim, entry);
    lists.replace(ListId::Added, evaluation.unique);
    lists.setModified(ListId::Added, true);
}

} // namespace quillmere
