#include "app/update/FactoryBodyCheck.h"

#include "core/audit/ListCheck.h"

#include <QStringList>
#include <array>
#include <cstdint>
#include <cstring>

namespace quillmere {

namespace {

constexpr std::string_view kLineEnd = "\r\n";
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// A document rather than a list: what the answer says it is, or what it begins with.
bool isMarkup(const FactoryBodyFacts& facts, QString& reason) {
    const QString type = facts.contentType.section(QLatin1Char(';'), 0, 0).trimmed().toLower();
    if (type == QLatin1String("text/html") || type == QLatin1String("application/xhtml+xml")) {
        reason = QStringLiteral("it is an HTML page (Content-Type %1), not a list").arg(type);
        return true;
    }
    std::string_view rest = facts.bytes;
    if (rest.starts_with(kByteOrderMark))
        rest.remove_prefix(kByteOrderMark.size());
    const std::size_t first = rest.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos || (rest[first] != '<' && rest[first] != '{'))
        return false;
    reason = QStringLiteral("it is an HTML, XML or JSON document (its first character is \"%1\"), "
                            "not a list")
                 .arg(QLatin1Char(rest[first]));
    return true;
}

// The faults that no host name has: a byte it cannot hold, a URL's scheme or path, a blank.
bool isHostFault(CheckReason reason) {
    return reason == CheckReason::HostCharacter || reason == CheckReason::Scheme ||
           reason == CheckReason::Path || reason == CheckReason::InnerBlank;
}

// Letters, digits, "-" and ".": an entry of these alone has none of those faults, and that is
// nearly every entry, so the full check runs on the few others only.
constexpr std::array<bool, 256> kHostBytes = [] {
    std::array<bool, 256> host{};
    for (int c = 0; c < 256; ++c)
        host[static_cast<std::size_t>(c)] = (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                                            c == '.' || c == '-' || (c >= 'A' && c <= 'Z');
    return host;
}();

// The bytes of a word that kHostBytes refuses, each as its high bit: eight bytes in a few
// operations rather than eight lookups, which halves the check of a list of millions. Every sum
// stays within its byte: the ranges are tested on the low seven bits, the high bit refuses alone.
constexpr std::uint64_t nonHostBytes(std::uint64_t word) {
    constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
    constexpr std::uint64_t kHigh = kOnes * 0x80;
    constexpr std::uint64_t kLow = kOnes * 0x7F;
    const auto atLeast = [](std::uint64_t bytes, unsigned least) {
        return (bytes + kOnes * (0x80 - least)) & kHigh;
    };
    const auto above = [](std::uint64_t bytes, unsigned most) {
        return (bytes + kOnes * (0x7F - most)) & kHigh;
    };
    const std::uint64_t seven = word & kLow;
    const std::uint64_t folded = seven | kOnes * 0x20; // A to Z as a to z
    const std::uint64_t letters = atLeast(folded, 'a') & ~above(folded, 'z');
    const std::uint64_t dashToNine = atLeast(seven, '-') & ~above(seven, '9');
    const std::uint64_t notSlash = ((seven ^ kOnes * '/') + kLow) & kHigh;
    const std::uint64_t host = (letters | (dashToNine & notSlash)) & ~(word & kHigh);
    return ~host & kHigh;
}

bool holdsHostBytesOnly(std::string_view entry) {
    const std::size_t size = entry.size();
    if (size < 8) {
        for (char c : entry) {
            if (!kHostBytes[static_cast<unsigned char>(c)])
                return false;
        }
        return true;
    }
    const auto wordAt = [&entry](std::size_t at) {
        std::uint64_t word;
        std::memcpy(&word, entry.data() + at, sizeof word);
        return word;
    };
    std::uint64_t refused = nonHostBytes(wordAt(size - 8));
    for (std::size_t at = 0; at + 8 < size; at += 8)
        refused |= nonHostBytes(wordAt(at));
    return refused == 0;
}

// Where the line that starts at start ends: at its CR LF, or at the end of the bytes. A lone CR
// or LF stays inside the line.
std::size_t lineEnd(std::string_view bytes, std::size_t start) {
    for (std::size_t scan = start; scan < bytes.size();) {
        const void* found = std::memchr(bytes.data() + scan, '\n', bytes.size() - scan);
        if (!found)
            break;
        const auto lineFeed =
            static_cast<std::size_t>(static_cast<const char*>(found) - bytes.data());
        if (lineFeed > start && bytes[lineFeed - 1] == '\r')
            return lineFeed - 1;
        scan = lineFeed + 1;
    }
    return bytes.size();
}

QString faultLine(std::size_t line, std::string_view entry, CheckReason reason,
                  const std::string& detail) {
    return QStringLiteral("  line %1: %2: %3%4")
        .arg(line)
        .arg(QString::fromLatin1(entry.data(), static_cast<qsizetype>(entry.size())),
             QString::fromLatin1(reasonText(reason).data(),
                                 static_cast<qsizetype>(reasonText(reason).size())),
             QString::fromLatin1(detail.data(), static_cast<qsizetype>(detail.size())));
}

} // namespace

std::optional<QString> wholeBodyFault(const FactoryBodyFacts& facts) {
    const std::string_view bytes = facts.bytes;
    if (bytes.empty())
        return QStringLiteral("it is empty");
    if (QString reason; isMarkup(facts, reason))
        return reason;
    if (const std::size_t nul = bytes.find('\0'); nul != std::string_view::npos)
        return QStringLiteral("it holds a NUL byte (at byte %1), so it is no text list")
            .arg(nul + 1);
    if (bytes.find('\n') != std::string_view::npos &&
        bytes.find(kLineEnd) == std::string_view::npos)
        return QStringLiteral(
            "its lines end in LF alone, not CR LF: the merge cuts at CR LF only, so the whole "
            "file would become one entry");
    return std::nullopt;
}

FactoryBodyVerdict checkFactoryEntries(const FactoryBodyFacts& facts,
                                       const std::function<void(std::string_view)>& eachEntry) {
    FactoryBodyVerdict verdict;
    const std::string_view bytes = facts.bytes;
    std::size_t faulty = 0;
    QStringList firstFaults;
    std::size_t line = 0;
    for (std::size_t start = 0; start <= bytes.size();) {
        const std::size_t end = lineEnd(bytes, start);
        const std::string_view entry = bytes.substr(start, end - start);
        ++line;
        start = end + kLineEnd.size();
        if (entry.empty())
            continue;
        ++verdict.entries;
        if (eachEntry)
            eachEntry(entry);
        if (holdsHostBytesOnly(entry))
            continue;
        for (const auto& [reason, detail] : entryReasons(entry)) {
            if (!isHostFault(reason))
                continue;
            ++faulty;
            if (firstFaults.size() < static_cast<qsizetype>(kListedFaults))
                firstFaults << faultLine(line, entry, reason, detail);
            break;
        }
    }
    if (verdict.entries == 0) {
        verdict.reason = QStringLiteral("it holds no entry, only line ends");
        return verdict;
    }
    if (faulty * kFaultyShareDivisor > verdict.entries) {
        verdict.reason =
            QStringLiteral("%1 of its %2 entries (more than 1%) are no host names; the "
                           "first of them:\n%3")
                .arg(faulty)
                .arg(verdict.entries)
                .arg(firstFaults.join(QLatin1Char('\n')));
        return verdict;
    }
    if (facts.lastEntries && !facts.allowShrink && verdict.entries * 2 < *facts.lastEntries) {
        verdict.reason =
            QStringLiteral("it holds %1 entries, fewer than half of the %2 of the last "
                           "factory list taken, so it is most likely cut off or the "
                           "wrong file (--allow-shrink takes it)")
                .arg(verdict.entries)
                .arg(*facts.lastEntries);
        return verdict;
    }
    verdict.accepted = true;
    return verdict;
}

} // namespace quillmere
