#include "core/lists/EditRecord.h"

#include "core/lists/LargeBuffers.h"
#include "core/lists/TrackedLists.h"

#include <algorithm>
#include <string_view>
#include <unordered_set>

namespace quillmere {

std::string_view editActionName(EditAction action) {
    static constexpr std::string_view kNames[] = {"add",   "remove", "unadd", "reactivate",
                                                  "clear", "sort",   "merge", "rebuild",
                                                  "trim",  "restore"};
    return kNames[static_cast<std::size_t>(action)];
}

bool isDomainAction(EditAction action) {
    switch (action) {
    case EditAction::Add:
    case EditAction::Remove:
    case EditAction::Unadd:
    case EditAction::Reactivate:
    case EditAction::Clear:
    case EditAction::Trim:
        return true;
    case EditAction::Sort:
    case EditAction::Merge:
    case EditAction::Rebuild:
    case EditAction::Restore:
        return false;
    }
    return false;
}

ReplacementCount countReplacement(const EntryList& before, const EntryList& after) {
    const std::unordered_set<std::string_view> old(before.begin(), before.end());
    const std::unordered_set<std::string_view> now(after.begin(), after.end());
    ReplacementCount count;
    for (std::string_view entry : after)
        count.gained += old.contains(entry) ? 0 : 1;
    for (std::string_view entry : before)
        count.lost += now.contains(entry) ? 0 : 1;
    return count;
}

namespace {
constexpr std::size_t kBlockSize = 64 * 1024;
}

void EditRecord::reserve(std::size_t edits) {
    reserveLarge(m_edits, m_edits.size() + edits);
}

void EditRecord::startBlock(std::size_t bytes) {
    // Never a short string kept inside the object, which would move with it.
    std::string block;
    block.reserve(std::max(bytes, kBlockSize));
    m_blocks.push_back(std::move(block));
}

std::string_view EditRecord::keep(std::string_view text) {
    if (text.empty())
        return {};
    if (m_blocks.empty() || m_blocks.back().capacity() - m_blocks.back().size() < text.size())
        startBlock(text.size());
    std::string& block = m_blocks.back();
    const std::size_t offset = block.size();
    block.append(text);
    return std::string_view(block).substr(offset);
}

void EditRecord::recordDomain(EditAction action, std::string_view domain) {
    m_edits.push_back({action, ListId::Main, keep(domain), {}, 0, 0});
}

void EditRecord::shareBlocks(const std::vector<EntryList::Block>& blocks) {
    for (const EntryList::Block& block : blocks) {
        if (std::find(m_shared.begin(), m_shared.end(), block) == m_shared.end())
            m_shared.push_back(block);
    }
}

void EditRecord::recordViewedDomain(EditAction action, std::string_view domain) {
    m_edits.push_back({action, ListId::Main, domain, {}, 0, 0});
}

void EditRecord::recordSort(ListId list) {
    m_edits.push_back({EditAction::Sort, list, {}, {}, 0, 0});
}

void EditRecord::recordMainReplaced(EditAction action, std::string_view file, std::size_t gained,
                                    std::size_t lost) {
    m_edits.push_back({action, ListId::Main, {}, keep(file), gained, lost});
}

void EditRecord::clear() {
    m_edits.clear();
    m_blocks.clear();
    m_shared.clear();
}

} // namespace quillmere
