#pragma once

#include "core/lists/EntryList.h"
#include "core/lists/TrackedLists.h"

#include <functional>
#include <memory>
#include <string_view>
#include <vector>

namespace quillmere {

// The progress texts of an evaluation: before the release file is read, and before the scan.
inline constexpr std::string_view kEvalLoadingText = "Loading factory list...";
inline constexpr std::string_view kEvalScanningText = "Scanning for matches...";

// The Added list split by a release: entries the release lacks and entries it lists, each in the
// Added list's order, a duplicated entry once per copy. Both share the Added list's blocks.
struct AddedEvaluation {
    EntryList unique;
    EntryList listed;
};

// Tells, line by line, which Added entries a release lists: for a caller that already walks the
// release's lines for reasons of its own and would otherwise walk them twice.
class AddedMatcher final {
public:
    explicit AddedMatcher(const EntryList& added);
    ~AddedMatcher();
    AddedMatcher(const AddedMatcher&) = delete;
    AddedMatcher& operator=(const AddedMatcher&) = delete;

    // One non-empty line of the release, without its CR LF.
    void see(std::string_view line);
    // The Added list split by the lines seen.
    AddedEvaluation evaluation() const;

private:
    class Index;
    const EntryList& m_added;
    std::unique_ptr<const Index> m_index;
    std::vector<bool> m_listed;
};

// Classifies every Added entry by whether some line of the release equals it, byte for byte. The
// release's lines are its bytes cut at every CR LF; an empty line could only equal an empty entry,
// which neither group holds.
// The release is scanned once against a hash table of the Added entries, which gives what a
// first-match scan of the release per entry gives.
AddedEvaluation evaluateAdded(const EntryList& added, std::string_view releaseBytes,
                              const std::function<void(std::string_view)>& progress = {});

// "Trim added list": the Added list keeps its unique entries only and is marked modified, even
// when nothing was dropped.
void trimAdded(TrackedLists& lists, const AddedEvaluation& evaluation);

} // namespace quillmere
