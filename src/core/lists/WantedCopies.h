#pragma once

#include "core/lists/EntryList.h"
#include "core/lists/HashFilter.h"

#include <bitset>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace quillmere {

// How many copies of each text a command given many domains takes out of a list, found in one
// pass over the list: the same entries that as many first-match lookups, one after the other,
// would take, each taking the first copy the ones before it left.
//
// The texts sit in an open-addressing table of two to four times their number, whose slots
// hold sixteen bits of each text's hash (zero: empty). Before it, a HashFilter of eight to
// sixteen bits per text turns away nine in ten of a list's millions of entries that no text
// equals. The texts are views; what they view must
// outlive this.
class WantedCopies final {
public:
    // Room for about that many distinct texts from the start.
    explicit WantedCopies(std::size_t expected = 0);

    // One more copy of the text is wanted. Gives the text's number, the same for equal texts and
    // counting from 0 in the order first wanted.
    std::size_t want(std::string_view text);

    // Forgets every copy wanted and found, keeping the texts and their numbers, and wants one copy
    // of the text of each number given: the same texts are looked for in another list without
    // hashing them again.
    void restart(std::span<const std::size_t> numbers);
    // The rows, ascending, of the first wanted copies of each text in the list. The pass stops
    // once every wanted copy is found, and passes over entries of a length no text has without
    // hashing them. Called once after the wants since
    // the start or the last restart.
    std::vector<std::size_t> findIn(const EntryList& list);

    // How many copies of the text of that number findIn found and takeOne has not handed out.
    std::size_t found(std::size_t number) const { return m_texts[number].found; }

    // Hands out one of the copies of the text of that number that findIn found; false when none
    // is left.
    bool takeOne(std::size_t number);

private:
    struct Text {
        std::string_view text;
        std::size_t wanted = 0;
        std::size_t found = 0;
    };
    static constexpr std::size_t kNone = static_cast<std::size_t>(-1);
    static constexpr std::size_t kShortLengths = 256;

    // The index of the text in m_texts, or kNone.
    std::size_t indexOf(std::string_view text, std::uint64_t hash) const;
    void place(std::size_t index, std::uint64_t hash);
    void grow();

    std::vector<Text> m_texts;
    std::vector<std::uint16_t> m_tags;
    std::vector<std::uint32_t> m_slots; // index into m_texts, where the tag is not zero
    std::size_t m_mask = 0;
    HashFilter m_seen;
    std::size_t m_wanted = 0;
    std::bitset<kShortLengths> m_lengths;
    bool m_anyLong = false;
};

} // namespace quillmere
