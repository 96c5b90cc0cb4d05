#include "core/audit/ListCheck.h"

#include "core/audit/CaseFold.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <unordered_map>

namespace quillmere {

namespace {

constexpr std::string_view kReasonTexts[kCheckReasonCount] = {
    "leading blank",
    "trailing blank",
    "blank inside",
    "upper-case letters",
    "character a host name cannot hold",
    "URL scheme",
    "path",
    "port",
    "at sign (@)",
    "IP address",
    "empty label",
    "leading dot",
    "trailing dot",
    "label over 63 bytes",
    "name over 253 bytes",
    "lone CR or LF",
    "same entry twice",
    "in both added and removed",
};

static_assert(static_cast<std::size_t>(CheckReason::AddedAndRemoved) + 1 == kCheckReasonCount);

constexpr std::size_t kMaxLabel = 63;
constexpr std::size_t kMaxName = 253;

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

bool isHostByte(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.';
}

// Bytes that another reason already names.
bool hasOwnReason(char c) {
    return isBlank(c) || c == '\r' || c == '\n' || c == ':' || c == '/' || c == '@';
}

bool isIpv4(std::string_view host) {
    std::size_t labels = 0;
    std::size_t start = 0;
    for (;;) {
        const std::size_t dot = std::min(host.find('.', start), host.size());
        const std::string_view label = host.substr(start, dot - start);
        if (label.empty() || label.size() > 3 ||
            !std::all_of(label.begin(), label.end(), [](char c) { return c >= '0' && c <= '9'; }))
            return false;
        ++labels;
        if (dot == host.size())
            return labels == 4;
        start = dot + 1;
    }
}

class ReasonList final {
public:
    void add(CheckReason reason, std::string detail = {}) {
        m_reasons.emplace_back(reason, std::move(detail));
    }
    std::vector<std::pair<CheckReason, std::string>> sorted() && {
        std::stable_sort(m_reasons.begin(), m_reasons.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        return std::move(m_reasons);
    }

private:
    std::vector<std::pair<CheckReason, std::string>> m_reasons;
};

void checkHostName(std::string_view host, ReasonList& reasons) {
    if (host.empty()) {
        reasons.add(CheckReason::EmptyLabel);
        return;
    }
    if (host.front() == '.')
        reasons.add(CheckReason::LeadingDot);
    if (host.back() == '.')
        reasons.add(CheckReason::TrailingDot);
    if (host.find("..") != std::string_view::npos)
        reasons.add(CheckReason::EmptyLabel);
    std::size_t start = 0;
    for (;;) {
        const std::size_t dot = std::min(host.find('.', start), host.size());
        if (dot - start > kMaxLabel) {
            reasons.add(CheckReason::LongLabel);
            break;
        }
        if (dot == host.size())
            break;
        start = dot + 1;
    }
    const std::size_t nameLength = host.back() == '.' ? host.size() - 1 : host.size();
    if (nameLength > kMaxName)
        reasons.add(CheckReason::LongName);
}

std::string byteDetail(char c) {
    char text[16];
    std::snprintf(text, sizeof text, " (0x%02X)",
                  static_cast<unsigned>(static_cast<unsigned char>(c)));
    return text;
}

std::string lineDetail(const char* before, std::size_t line, const char* after) {
    return before + std::to_string(line) + after;
}

constexpr std::size_t kNoRow = static_cast<std::size_t>(-1);

// The line of the first other entry of the list that differs in bytes but not once folded, for
// every entry holding a capital letter that has one. For each folded form that a capitalised entry
// has, one pass finds the first entry of that form and the first one whose bytes differ from it:
// an entry's twin is the first of the two that differs from it. So a million copies of one entry
// cost a million lookups, not a million scans of their group.
std::unordered_map<std::size_t, std::size_t> foldedTwins(const EntryList& list) {
    struct FoldedForm {
        std::size_t first = kNoRow;
        std::size_t firstOther = kNoRow; // the first whose bytes differ from the first's
    };
    std::unordered_map<std::string, FoldedForm> forms;
    std::vector<std::pair<std::size_t, const FoldedForm*>> capitalised;
    std::string folded;
    for (std::size_t row = 0; row < list.size(); ++row) {
        if (hasCapital(list[row])) {
            foldInto(list[row], folded);
            capitalised.emplace_back(row, &forms[folded]);
        }
    }
    std::unordered_map<std::size_t, std::size_t> twins;
    if (capitalised.empty())
        return twins;
    for (std::size_t row = 0; row < list.size(); ++row) {
        foldInto(list[row], folded);
        const auto form = forms.find(folded);
        if (form == forms.end())
            continue;
        FoldedForm& seen = form->second;
        if (seen.first == kNoRow)
            seen.first = row;
        else if (seen.firstOther == kNoRow && list[row] != list[seen.first])
            seen.firstOther = row;
    }
    twins.reserve(capitalised.size());
    for (const auto& [row, form] : capitalised) {
        const std::size_t twin = list[row] != list[form->first] ? form->first : form->firstOther;
        if (twin != kNoRow)
            twins.emplace(row, twin);
    }
    return twins;
}

// An entry's first eight bytes as one big-endian integer, zero past its end: integer order is byte
// order wherever two of them differ.
std::uint64_t leadingBytes(std::string_view entry) {
    std::uint64_t word = 0;
    for (std::size_t k = 0; k < 8; ++k)
        word = (word << 8) | (k < entry.size() ? static_cast<unsigned char>(entry[k]) : 0U);
    return word;
}

// For every row, the row of another copy of its entry (kNoRow when it has none): the second copy's
// for the first, the first copy's for the others. The rows are sorted by entry and then row,
// through the leading bytes first, so that most comparisons never read an entry.
std::vector<std::size_t> repeatedEntries(const EntryList& list) {
    struct Row {
        std::uint64_t leading;
        std::size_t row;
    };
    std::vector<Row> order(list.size());
    for (std::size_t row = 0; row < order.size(); ++row)
        order[row] = {leadingBytes(list[row]), row};
    std::sort(order.begin(), order.end(), [&](const Row& a, const Row& b) {
        if (a.leading != b.leading)
            return a.leading < b.leading;
        // char_traits<char> compares as unsigned char, so this is the byte order.
        const int bytes = list[a.row].compare(list[b.row]);
        return bytes != 0 ? bytes < 0 : a.row < b.row;
    });
    std::vector<std::size_t> repeats(list.size(), kNoRow);
    for (std::size_t begin = 0; begin < order.size();) {
        std::size_t end = begin + 1;
        while (end < order.size() && order[end].leading == order[begin].leading &&
               list[order[end].row] == list[order[begin].row])
            ++end;
        if (end - begin > 1) {
            repeats[order[begin].row] = order[begin + 1].row;
            for (std::size_t k = begin + 1; k < end; ++k)
                repeats[order[k].row] = order[begin].row;
        }
        begin = end;
    }
    return repeats;
}

std::unordered_map<std::string_view, std::size_t> firstRows(const EntryList& list) {
    std::unordered_map<std::string_view, std::size_t> rows;
    for (std::size_t row = 0; row < list.size(); ++row)
        rows.emplace(list[row], row);
    return rows;
}

void checkList(const TrackedLists& lists, ListId id, std::vector<CheckFinding>& findings) {
    const EntryList& list = lists.list(id);
    const auto twins = foldedTwins(list);
    const auto repeats = repeatedEntries(list);
    std::unordered_map<std::string_view, std::size_t> otherTracking;
    if (id != ListId::Main)
        otherTracking = firstRows(id == ListId::Added ? lists.removed() : lists.added());
    const char* otherName = id == ListId::Added ? " (removed:" : " (added:";

    for (std::size_t row = 0; row < list.size(); ++row) {
        const std::string_view entry = list[row];
        for (auto& [reason, detail] : entryReasons(entry)) {
            if (reason == CheckReason::Capitals) {
                if (const auto twin = twins.find(row); twin != twins.end())
                    detail = lineDetail(", same as line ", twin->second + 1, " when folded");
            }
            findings.push_back({id, row + 1, entry, reason, std::move(detail)});
        }
        if (repeats[row] != kNoRow)
            findings.push_back({id, row + 1, entry, CheckReason::Repeated,
                                lineDetail(" (also line ", repeats[row] + 1, ")")});
        if (const auto other = otherTracking.find(entry); other != otherTracking.end())
            findings.push_back({id, row + 1, entry, CheckReason::AddedAndRemoved,
                                lineDetail(otherName, other->second + 1, ")")});
    }
}

} // namespace

std::string_view reasonText(CheckReason reason) {
    return kReasonTexts[static_cast<std::size_t>(reason)];
}

std::vector<std::pair<CheckReason, std::string>> entryReasons(std::string_view entry) {
    ReasonList reasons;
    if (entry.empty()) {
        reasons.add(CheckReason::EmptyLabel);
        return std::move(reasons).sorted();
    }
    const std::size_t first = entry.find_first_not_of(" \t");
    const std::size_t last = entry.find_last_not_of(" \t");
    if (isBlank(entry.front()))
        reasons.add(CheckReason::LeadingBlank);
    if (isBlank(entry.back()))
        reasons.add(CheckReason::TrailingBlank);
    const std::string_view trimmed = first == std::string_view::npos
                                         ? std::string_view()
                                         : entry.substr(first, last - first + 1);
    if (trimmed.find_first_of(" \t") != std::string_view::npos)
        reasons.add(CheckReason::InnerBlank);
    if (hasCapital(entry))
        reasons.add(CheckReason::Capitals);
    if (entry.find_first_of("\r\n") != std::string_view::npos)
        reasons.add(CheckReason::LineBreak);

    // Peel a URL down to its host name: scheme, path, user part, port.
    std::string_view rest = trimmed;
    std::size_t authorityStart = 0;
    if (const std::size_t scheme = rest.find("://"); scheme != std::string_view::npos) {
        reasons.add(CheckReason::Scheme);
        authorityStart = scheme + 3;
        rest.remove_prefix(authorityStart);
    }
    if (const std::size_t slash = rest.find('/'); slash != std::string_view::npos) {
        reasons.add(CheckReason::Path);
        rest = rest.substr(0, slash);
    }
    const std::string_view beforePath = trimmed.substr(0, authorityStart + rest.size());
    if (const std::size_t at = rest.rfind('@'); at != std::string_view::npos) {
        reasons.add(CheckReason::AtSign);
        rest.remove_prefix(at + 1);
    }
    bool bracketed = false;
    const auto colons = std::count(rest.begin(), rest.end(), ':');
    if (!rest.empty() && rest.front() == '[') {
        bracketed = true;
        reasons.add(CheckReason::IpAddress);
        const std::size_t close = rest.find(']');
        if (close != std::string_view::npos && rest.find(':', close) != std::string_view::npos)
            reasons.add(CheckReason::Port);
    } else if (colons >= 2) {
        reasons.add(CheckReason::IpAddress);
    } else {
        if (colons == 1) {
            reasons.add(CheckReason::Port);
            rest = rest.substr(0, rest.find(':'));
        }
        if (isIpv4(rest))
            reasons.add(CheckReason::IpAddress);
        else
            checkHostName(rest, reasons);
    }

    for (char c : beforePath) {
        if (isHostByte(c) || hasOwnReason(c) || (bracketed && (c == '[' || c == ']')))
            continue;
        reasons.add(CheckReason::HostCharacter, byteDetail(c));
        break;
    }
    return std::move(reasons).sorted();
}

std::vector<CheckFinding> checkLists(const TrackedLists& lists, std::optional<ListId> only) {
    std::vector<CheckFinding> findings;
    for (ListId id : {ListId::Main, ListId::Added, ListId::Removed}) {
        if (!only || *only == id)
            checkList(lists, id, findings);
    }
    return findings;
}

std::string findingLine(const CheckFinding& finding) {
    std::string line(listName(finding.list));
    line += ':';
    line += std::to_string(finding.line);
    line += ": ";
    line += finding.entry;
    line += ": ";
    line += reasonText(finding.reason);
    line += finding.detail;
    return line;
}

std::string checkSummary(const std::vector<CheckFinding>& findings) {
    std::size_t counts[kCheckReasonCount] = {};
    for (const CheckFinding& finding : findings)
        ++counts[static_cast<std::size_t>(finding.reason)];
    std::string summary = std::to_string(findings.size()) + " found";
    const char* separator = ": ";
    for (std::size_t k = 0; k < kCheckReasonCount; ++k) {
        if (counts[k] == 0)
            continue;
        summary += separator;
        summary += std::to_string(counts[k]);
        summary += ' ';
        summary += kReasonTexts[k];
        separator = ", ";
    }
    return summary;
}

} // namespace quillmere
