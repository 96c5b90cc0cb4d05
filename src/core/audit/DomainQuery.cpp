#include "core/audit/DomainQuery.h"

#include "core/audit/CaseFold.h"

#include <bitset>
#include <deque>
#include <unordered_map>

namespace quillmere {

namespace {

struct Target {
    std::size_t domain;        // index of the queried domain
    std::string_view original; // the domain or one of its parent domains, as queried
    bool parent;
};

// Every queried domain and parent domain by its bytes, and by its folded bytes when letter case
// is to be ignored. Entries of a length no target has are passed over without hashing.
class TargetIndex final {
public:
    TargetIndex(const std::vector<std::string>& domains, bool ignoreCase)
        : m_ignoreCase(ignoreCase) {
        for (std::size_t i = 0; i < domains.size(); ++i) {
            const std::string_view domain = domains[i];
            insert(domain, {i, domain, false});
            for (std::size_t dot = domain.find('.'); dot != std::string_view::npos;
                 dot = domain.find('.', dot + 1)) {
                const std::string_view parent = domain.substr(dot + 1);
                if (!parent.empty())
                    insert(parent, {i, parent, true});
            }
        }
    }

    template <typename Hit> void match(std::string_view entry, bool withParents, Hit&& hit) {
        if (!lengthPossible(entry.size()))
            return;
        if (const auto found = m_exact.find(entry); found != m_exact.end()) {
            for (const Target& target : found->second) {
                if (!target.parent || withParents)
                    hit(target.domain, target.parent ? MatchKind::Parent : MatchKind::Exact);
            }
        }
        if (!m_ignoreCase)
            return;
        foldInto(entry, m_buffer);
        const auto found = m_folded.find(m_buffer);
        if (found == m_folded.end())
            return;
        for (const Target& target : found->second) {
            // An entry equal to the target was reported above as itself.
            if ((!target.parent || withParents) && entry != target.original)
                hit(target.domain,
                    target.parent ? MatchKind::ParentOtherCase : MatchKind::OtherCase);
        }
    }

private:
    static constexpr std::size_t kShortLengths = 256;

    void insert(std::string_view key, const Target& target) {
        m_exact[key].push_back(target);
        if (key.size() < kShortLengths)
            m_lengths.set(key.size());
        else
            m_anyLong = true;
        if (m_ignoreCase) {
            std::string folded;
            foldInto(key, folded);
            m_foldedKeys.push_back(std::move(folded));
            m_folded[m_foldedKeys.back()].push_back(target);
        }
    }

    bool lengthPossible(std::size_t length) const {
        return length < kShortLengths ? m_lengths.test(length) : m_anyLong;
    }

    bool m_ignoreCase;
    std::unordered_map<std::string_view, std::vector<Target>> m_exact;
    std::unordered_map<std::string_view, std::vector<Target>> m_folded;
    std::deque<std::string> m_foldedKeys; // the folded maps' keys view these
    std::bitset<kShortLengths> m_lengths;
    bool m_anyLong = false;
    std::string m_buffer;
};

} // namespace

std::vector<DomainAnswer> queryDomains(const TrackedLists& lists,
                                       const std::vector<std::string>& domains, bool ignoreCase) {
    std::vector<DomainAnswer> answers(domains.size());
    TargetIndex index(domains, ignoreCase);
    for (ListId id : {ListId::Main, ListId::Added, ListId::Removed}) {
        const EntryList& list = lists.list(id);
        const bool withParents = id == ListId::Main;
        for (std::size_t row = 0; row < list.size(); ++row) {
            const std::string_view entry = list[row];
            index.match(entry, withParents, [&](std::size_t domain, MatchKind kind) {
                answers[domain].hits.push_back({id, row + 1, entry, kind});
                if (id == ListId::Main && kind == MatchKind::Exact)
                    answers[domain].inMain = true;
            });
        }
    }
    return answers;
}

} // namespace quillmere
