#include "core/audit/DomainQuery.h"

#include "core/audit/CaseFold.h"

#include <bitset>
#include <cstdint>
#include <deque>
#include <unordered_map>

namespace quillmere {

namespace {

// A hash of bytes that is known for every tail of a text after one walk over it from its end, so
// that a domain of any length and all its parent domains are hashed in time linear in its length:
// the polynomial of the bytes in a large odd base, modulo 2^64. An entry hashes to the same value
// from its front (Horner's rule).
class TailHash final {
public:
    static std::uint64_t of(std::string_view text) {
        std::uint64_t hash = 0;
        for (char c : text)
            hash = hash * kBase + byteValue(c);
        return hash;
    }

    // The hash of the text with the byte before it: walking from the last byte to the first
    // gives the hash of each tail in turn.
    void prepend(char c) {
        m_hash += byteValue(c) * m_power;
        m_power *= kBase;
    }
    std::uint64_t value() const { return m_hash; }

private:
    static constexpr std::uint64_t kBase = 0x9E3779B97F4A7C15u;
    static constexpr std::uint64_t byteValue(char c) { return static_cast<unsigned char>(c) + 1u; }

    std::uint64_t m_hash = 0;
    std::uint64_t m_power = 1;
};

struct Target {
    std::size_t domain;        // index of the queried domain
    std::string_view original; // the domain or one of its parent domains, as queried
    std::string_view folded;   // the same in small letters, when letter case is ignored
    bool parent;
};

// Every queried domain and parent domain by the hash of its bytes, and of its folded bytes when
// letter case is to be ignored. A domain is folded once; its parents are views into it and into
// the folded copy, so a long domain with many labels costs its length, not its length squared.
// Entries of a length no target has are passed over without hashing.
class TargetIndex final {
public:
    TargetIndex(const std::vector<std::string>& domains, bool ignoreCase)
        : m_ignoreCase(ignoreCase) {
        for (std::size_t i = 0; i < domains.size(); ++i) {
            const std::string_view domain = domains[i];
            std::string_view folded;
            if (m_ignoreCase) {
                m_foldedDomains.emplace_back();
                foldInto(domain, m_foldedDomains.back());
                folded = m_foldedDomains.back();
            }
            TailHash exact;
            TailHash foldedHash;
            for (std::size_t start = domain.size(); start-- > 0;) {
                exact.prepend(domain[start]);
                if (m_ignoreCase)
                    foldedHash.prepend(folded[start]);
                const bool parent = start > 0;
                if (parent && domain[start - 1] != '.')
                    continue;
                const Target target{i, domain.substr(start),
                                    m_ignoreCase ? folded.substr(start) : std::string_view(),
                                    parent};
                insert(exact.value(), foldedHash.value(), target);
            }
        }
    }

    template <typename Hit> void match(std::string_view entry, bool withParents, Hit&& hit) {
        if (!lengthPossible(entry.size()))
            return;
        if (const auto found = m_exact.find(TailHash::of(entry)); found != m_exact.end()) {
            for (const Target& target : found->second) {
                if (target.original == entry && (!target.parent || withParents))
                    hit(target.domain, target.parent ? MatchKind::Parent : MatchKind::Exact);
            }
        }
        if (!m_ignoreCase)
            return;
        foldInto(entry, m_buffer);
        const auto found = m_folded.find(TailHash::of(m_buffer));
        if (found == m_folded.end())
            return;
        for (const Target& target : found->second) {
            // An entry equal to the target was reported above as itself.
            if (target.folded == m_buffer && (!target.parent || withParents) &&
                entry != target.original)
                hit(target.domain,
                    target.parent ? MatchKind::ParentOtherCase : MatchKind::OtherCase);
        }
    }

private:
    static constexpr std::size_t kShortLengths = 256;

    void insert(std::uint64_t exactHash, std::uint64_t foldedHash, const Target& target) {
        m_exact[exactHash].push_back(target);
        if (m_ignoreCase)
            m_folded[foldedHash].push_back(target);
        const std::size_t length = target.original.size();
        if (length < kShortLengths)
            m_lengths.set(length);
        else
            m_anyLong = true;
    }

    bool lengthPossible(std::size_t length) const {
        return length < kShortLengths ? m_lengths.test(length) : m_anyLong;
    }

    bool m_ignoreCase;
    // Targets whose bytes hash alike; the bytes are compared before a hit.
    std::unordered_map<std::uint64_t, std::vector<Target>> m_exact;
    std::unordered_map<std::uint64_t, std::vector<Target>> m_folded;
    std::deque<std::string> m_foldedDomains; // the folded targets view these
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
