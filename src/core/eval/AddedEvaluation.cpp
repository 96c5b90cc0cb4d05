#include "core/eval/AddedEvaluation.h"

#include "core/lists/EntryHash.h"
#include "core/lists/FilePieces.h"
#include "core/lists/HashFilter.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace quillmere {

// The distinct Added entries in an open-addressing table four to eight times their count. Each
// slot holds sixteen bits of the entry's hash (zero: empty), so that the entries themselves are
// read only when those bits agree. Before the table, a HashFilter of eight to sixteen bits per
// entry turns away nine in ten of a release's millions of lines that are no Added entry.
class AddedMatcher::Index final {
public:
    explicit Index(const EntryList& added)
        : m_added(added)
        , m_first(added.size()) {
        std::size_t slots = 16;
        while (slots < 4 * added.size())
            slots *= 2;
        m_tags.assign(slots, 0);
        m_entries.resize(slots);
        m_mask = slots - 1;
        m_seen = HashFilter(2 * slots);
        for (std::size_t k = 0; k < added.size(); ++k) {
            const std::uint64_t hash = hashEntry(added[k]);
            m_seen.add(hash);
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
        if (!m_seen.mayHold(hash))
            return std::nullopt;
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
    HashFilter m_seen;
    std::vector<std::size_t> m_first;
};

AddedMatcher::AddedMatcher(const EntryList& added)
    : m_added(added)
    , m_index(std::make_unique<const Index>(added))
    , m_listed(added.size()) {}

AddedMatcher::~AddedMatcher() = default;

void AddedMatcher::see(std::string_view line) {
    if (const auto k = m_index->find(line))
        m_listed[*k] = true;
}

AddedEvaluation AddedMatcher::evaluation() const {
    // Only non-empty entries are shown and kept by a trim.
    std::vector<std::string_view> uniqueViews;
    std::vector<std::string_view> listedViews;
    for (std::size_t k = 0; k < m_added.size(); ++k) {
        if (!m_added[k].empty())
            (m_listed[m_index->firstCopy(k)] ? listedViews : uniqueViews).push_back(m_added[k]);
    }
    return {EntryList::fromViews(std::move(uniqueViews), m_added.blocks()),
            EntryList::fromViews(std::move(listedViews), m_added.blocks())};
}

AddedEvaluation evaluateAdded(const EntryList& added, std::string_view releaseBytes,
                              const std::function<void(std::string_view)>& progress) {
    if (progress)
        progress(kEvalScanningText);
    AddedMatcher matcher(added);
    if (!added.empty())
        forEachFilePiece(releaseBytes, [&matcher](std::string_view line) { matcher.see(line); });
    return matcher.evaluation();
}

void trimAdded(TrackedLists& lists, const AddedEvaluation& evaluation) {
    for (std::string_view entry : evaluation.listed)
        lists.edits().recordDomain(EditAction::Trim, entry);
    lists.replace(ListId::Added, evaluation.unique);
    lists.setModified(ListId::Added, true);
}

} // namespace quillmere
