#pragma once

#include <QString>
#include <cstddef>
#include <functional>
#include <optional>
#include <string_view>

namespace quillmere {

// The merge is a union: every line of a wrong download (an error or sign-in page, a transfer cut
// off) would stay in the blacklist for good. A downloaded factory list is looked at first and
// refused when it is not a list of host names in the list files' format.
struct FactoryBodyVerdict {
    bool accepted = false;
    QString reason;          // why it was refused: a sentence part without a final stop
    std::size_t entries = 0; // its non-empty lines, cut at each CR LF
};

struct FactoryBodyFacts {
    std::string_view bytes;
    QString contentType; // of the answer, as sent; empty for a file
    // The entries of the last accepted factory list, when one was accepted.
    std::optional<std::size_t> lastEntries;
    bool allowShrink = false;
};

// More than this share (1 in 100) of entries with a fault refuses the body.
inline constexpr std::size_t kFaultyShareDivisor = 100;
// How many faulty entries a refusal lists.
inline constexpr std::size_t kListedFaults = 5;

// The check in two halves: what the body is as a whole (empty, a document, a NUL byte, LF line
// ends), which takes a glance, and then its entries, which take a pass over every line.
std::optional<QString> wholeBodyFault(const FactoryBodyFacts& facts);
// eachEntry, when given, sees every entry as it is checked, in order: what else needs each line
// of the body takes it from this one pass.
FactoryBodyVerdict checkFactoryEntries(const FactoryBodyFacts& facts,
                                       const std::function<void(std::string_view)>& eachEntry = {});

} // namespace quillmere
