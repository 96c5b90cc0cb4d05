#include "SortInParts.h"

#include "lists/SortList.h"

#include <algorithm>
#include <system_error>
#include <thread>

namespace quillmere {

namespace {
constexpr std::size_t kMinPartSize = 4096;
constexpr std::size_t kMaxParts = 4;

void sortPart(std::span<EntryKey> part, const EntryKeys& table) {
    sortList(part, [&table](const EntryKey& a, const EntryKey& b) { return table.less(a, b); });
}
} // namespace

std::vector<std::span<EntryKey>> sortInParts(std::vector<EntryKey>& keys, const EntryKeys& table) {
    const std::size_t cores = std::max(1U, std::thread::hardware_concurrency());
    const std::size_t count =
        std::clamp(keys.size() / kMinPartSize, std::size_t{1}, std::min(cores, kMaxParts));
    std::vector<std::span<EntryKey>> parts;
    const std::span<EntryKey> all(keys);
    for (std::size_t k = 0; k < count; ++k) {
        const std::size_t begin = all.size() * k / count;
        const std::size_t end = all.size() * (k + 1) / count;
        parts.push_back(all.subspan(begin, end - begin));
    }
    {
        std::vector<std::jthread> helpers;
        std::size_t next = 1;
        try {
            for (; next < parts.size(); ++next)
                helpers.emplace_back(sortPart, parts[next], std::cref(table));
        } catch (const std::system_error&) {
            // No thread to be had: the parts not handed out are sorted here.
        }
        for (std::size_t k = next; k < parts.size(); ++k)
            sortPart(parts[k], table);
        sortPart(parts[0], table);
    }
    return parts;
}

} // namespace quillmere
