#include "FactoryMerge.h"

#include "FilePieces.h"
#include "MergeWorkList.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <utility>

namespace quillmere {

namespace {

void report(const std::function<void(std::string_view)>& progress, std::string_view text) {
    if (progress)
        progress(text);
}

// A list's entries as the merge's joined text would cut them: an entry holding CR LF itself falls
// apart there, as it would after a save and a reload.
void addEntries(MergeWorkList& work, const EntryList& list, bool fromMain) {
    for (std::string_view entry : list)
        forEachFilePiece(entry,
                         [&work, fromMain](std::string_view piece) { work.add(piece, fromMain); });
}

std::size_t countPieces(std::string_view bytes) {
    std::size_t count = 0;
    forEachFilePiece(bytes, [&count](std::string_view) { ++count; });
    return count;
}

} // namespace

MergeOutcome mergeFactoryList(EntryList main, std::optional<EntryList::Block> factoryBytes,
                              const EntryList& added, const EntryList& removed,
                              const std::function<void(std::string_view)>& progress) {
    report(progress, kMergeInitializingText);
    const std::size_t oldCount = main.size();
    std::vector<EntryList::Block> blocks = main.blocks();

    MergeWorkList work;
    work.reserve(oldCount + added.size() + (factoryBytes ? countPieces(**factoryBytes) : 0));
    addEntries(work, main, true);
    main = EntryList();

    if (factoryBytes) {
        report(progress, kMergeNewFileText);
        forEachFilePiece(**factoryBytes,
                         [&work](std::string_view piece) { work.add(piece, false); });
        blocks.push_back(std::move(*factoryBytes));
    }
    if (!added.empty()) {
        report(progress, kMergeAddingText);
        addEntries(work, added, false);
        blocks.insert(blocks.end(), added.blocks().begin(), added.blocks().end());
    }

    report(progress, kMergeSortingText);
    work.sort();
    report(progress, kMergeBuildingText);
    work.removeDuplicates();
    report(progress, kMergeRemovingText);
    work.removeEntries(removed);

    MergeOutcome outcome;
    const std::size_t keptFromMain = work.countFromMain();
    std::vector<std::string_view> views = work.takeViews();
    outcome.gained = views.size() - keptFromMain;
    outcome.lost = oldCount - keptFromMain;
    outcome.main = compactEntries(std::move(views), std::move(blocks));
    return outcome;
}

EntryList compactEntries(std::vector<std::string_view> views,
                         std::vector<EntryList::Block> blocks) {
    std::sort(blocks.begin(), blocks.end());
    blocks.erase(std::unique(blocks.begin(), blocks.end()), blocks.end());
    std::size_t held = 0;
    for (const EntryList::Block& block : blocks)
        held += block->capacity();
    std::size_t live = 0;
    for (std::string_view view : views)
        live += view.size();
    if (held <= 3 * live)
        return EntryList::fromViews(std::move(views), std::move(blocks));

    auto fresh = std::make_shared<std::string>(live, '\0');
    char* target = fresh->data();
    for (std::string_view& view : views) {
        if (!view.empty())
            std::memcpy(target, view.data(), view.size());
        view = std::string_view(target, view.size());
        target += view.size();
    }
    return EntryList::fromViews(std::move(views), {EntryList::Block(std::move(fresh))});
}

} // namespace quillmere
