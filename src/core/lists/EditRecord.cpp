#include "core/lists/EditRecord.h"

#include "core/lists/TrackedLists.h"

#include <string_view>
#include <unordered_set>
#include <utility>

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

void EditRecord::recordDomain(EditAction action, std::string_view domain) {
    m_edits.push_back({action, std::string(domain), ListId::Main, {}, 0, 0});
}

void EditRecord::recordSort(ListId list) {
    m_edits.push_back({EditAction::Sort, {}, list, {}, 0, 0});
}

void EditRecord::recordMainReplaced(EditAction action, std::string file, std::size_t gained,
                                    std::size_t lost) {
    m_edits.push_back({action, {}, ListId::Main, std::move(file), gained, lost});
}

} // namespace quillmere
