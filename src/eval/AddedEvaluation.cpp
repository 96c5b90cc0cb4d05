#include "AddedEvaluation.h"

#include <unordered_set>

namespace quillmere {

namespace {

template <typename Visit> void forEachReleaseLine(std::string_view bytes, Visit&& visit) {
    if (bytes.empty())
        return;
    std::size_t start = 0;
    for (;;) {
        const std::size_t separator = bytes.find("\r\n", start);
        if (separator == std::string_view::npos) {
            visit(bytes.substr(start));
            return;
        }
        visit(bytes.substr(start, separator - start));
        start = separator + 2;
    }
}

} // namespace

AddedEvaluation evaluateAdded(const EntryList& added, std::string_view releaseBytes,
                              const std::function<void(std::string_view)>& progress) {
    if (progress)
        progress(kEvalScanningText);
    const std::unordered_set<std::string_view> wanted(added.begin(), added.end());
    std::unordered_set<std::string_view> listed;
    if (!wanted.empty()) {
        forEachReleaseLine(releaseBytes, [&wanted, &listed](std::string_view line) {
            if (wanted.count(line))
                listed.insert(line);
        });
    }

    // Only non-empty entries are shown and kept by a trim.
    std::vector<std::string_view> uniqueViews;
    std::vector<std::string_view> listedViews;
    for (std::string_view entry : added) {
        if (!entry.empty())
            (listed.count(entry) ? listedViews : uniqueViews).push_back(entry);
    }
    return {EntryList::fromViews(std::move(uniqueViews), added.blocks()),
            EntryList::fromViews(std::move(listedViews), added.blocks())};
}

void trimAdded(TrackedLists& lists, const AddedEvaluation& evaluation) {
    for (std::string_view entry : evaluation.listed)
        lists.edits().recordDomain(EditAction::Trim, entry);
    lists.replace(ListId::Added, evaluation.unique);
    lists.setModified(ListId::Added, true);
}

} // namespace quillmere
