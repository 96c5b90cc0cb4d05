#pragma once

#include "core/lists/ByteSource.h"
#include "core/lists/EntryList.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string_view>

namespace quillmere {

// The progress texts of a merge, in the order they are reported.
inline constexpr std::string_view kMergeInitializingText = "Initializing...";
inline constexpr std::string_view kMergeNewFileText = "Merging new file...";
inline constexpr std::string_view kMergeAddingText = "Adding URLs...";
inline constexpr std::string_view kMergeSortingText = "Sorting...";
inline constexpr std::string_view kMergeBuildingText = "Building and removing duplicates...";
inline constexpr std::string_view kMergeRemovingText = "Removing URLs...";

struct MergeOutcome {
    EntryList main;         // the new Main list, unless it was handed on as text
    std::size_t listed = 0; // its entries
    std::size_t gained = 0; // entries of the new list that the old one lacked
    std::size_t lost = 0;   // entries of the old list (every copy) the new one no longer holds
    std::uint64_t mainFileBytes = 0; // the old Main list's bytes as read, for a merge of a file
};

// The old Main list, read twice, was not the same the second time: another program changed it.
class MainListChanged final : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// "&Merge new factory list..." (with the factory file's bytes) and "Rebuild" (without): the new
// Main list is the union of the old Main list, the factory file's pieces (cut at each CR LF) and
// the Added list, sorted by byte value, each entry once, no empty entry, and no entry equal to a
// Removed entry. The three lists are only read, so a merge that runs out of memory
// (std::bad_alloc) leaves them as they were.
//
// The result shares the blocks of the old Main list, the factory file and the Added list rather
// than copying their entries, unless they hold much more than it needs (see compactEntries).
MergeOutcome mergeFactoryList(const EntryList& main, std::optional<EntryList::Block> factoryBytes,
                              const EntryList& added, const EntryList& removed,
                              const std::function<void(std::string_view)>& progress = {});

// The same merge with the old Main list read from its file: the list that loading the file gives,
// without its bytes ever being held whole. The file is read twice, a part at a time: once to find
// the sorted run at its start (usually all of it but the hand additions appended since the last
// merge) and copy what follows, once more in the walk that builds the new list, which copies only
// the entries no other source holds. A file that changed between the two readings throws
// MainListChanged; a read that fails, ByteSourceError.
MergeOutcome mergeFactoryList(const ByteSource& mainFile,
                              std::optional<EntryList::Block> factoryBytes, const EntryList& added,
                              const EntryList& removed,
                              const std::function<void(std::string_view)>& progress = {});

// Takes the new Main list's file text in order, a piece at a time; once it returns false it is
// called no more.
using MergeTextSink = std::function<bool(std::string_view)>;

// The factory file's bytes as a merge gets them: a block's, which a new list of views may keep,
// or bytes that last only while whatever keeps them is held, which a merge handing its list on as
// text is done with when it returns.
struct FactoryBytes {
    std::string_view bytes;
    EntryList::Block block;             // set when the bytes are this block's
    std::shared_ptr<const void> keeper; // otherwise, what keeps them
};

// Gives the factory file's bytes, for instance by reading the file; what it throws ends the merge.
using FactoryReader = std::function<FactoryBytes()>;

// Factory bytes already held, as a reader; none (a rebuild) as an empty one.
FactoryReader heldFactory(std::optional<EntryList::Block> factoryBytes);

// The same merge of a Main list file, the new list handed on as its file's text (each entry
// followed by CR LF, as a save writes it) while the merge makes it, rather than as a list: the
// outcome's list is empty. The text is handed on before the merge ends, so a merge that then
// fails (the file changed, a read failed, no memory) has handed on a part of it. The factory
// file's bytes come from readFactory (an empty one for a rebuild), called while the old Main list
// is scanned on another thread; what it throws reaches the caller, unless the scan failed too,
// whose failure then does.
MergeOutcome mergeFactoryListAsText(const ByteSource& mainFile, const FactoryReader& readFactory,
                                    const EntryList& added, const EntryList& removed,
                                    const MergeTextSink& text,
                                    const std::function<void(std::string_view)>& progress = {});

// The same with the old Main list given as its file's bytes.
MergeOutcome mergeFactoryList(EntryList::Block mainBytes,
                              std::optional<EntryList::Block> factoryBytes, const EntryList& added,
                              const EntryList& removed,
                              const std::function<void(std::string_view)>& progress = {});

// A list of the views over the blocks. When the blocks hold more than three times the bytes of
// the entries, the entries are copied into one fresh block first, so repeated merges do not keep
// every earlier file alive.
EntryList compactEntries(std::vector<std::string_view> views, std::vector<EntryList::Block> blocks);

} // namespace quillmere
