#pragma once

#include "app/Prompter.h"
#include "app/files/FileSnapshot.h"
#include "app/settings/AppSettings.h"
#include "core/lists/TrackedLists.h"

#include <array>
#include <chrono>

namespace quillmere {

// The window's lists as they were at their last load or save, and what was done to them since
// that matters when their changes are applied to files another program has changed meanwhile.
struct ListsAsLoaded {
    LoadedFiles files;
    std::array<EntryList, 3> lists; // views only: the entries' bytes are shared, not copied
    std::array<bool, 3> sortedSince{};
    bool mergedSince = false;

    void reset(const LoadedFiles& loadedFiles, const TrackedLists& current);
};

// The window's "Save All": takes the list lock only for the save (the window may stay open for
// hours and must not keep the command-line tool out), saves the modified lists as one step, and
// never overwrites a file that another program changed since the lists were loaded without
// asking: it offers to apply the window's changes to the files as they are now, so that both
// programs' edits survive, or to overwrite them, or to save nothing.
class SaveAllFlow final {
public:
    // How long the window waits for another writer to finish before it reports the lock.
    static constexpr std::chrono::seconds kLockWait{10};

    SaveAllFlow(const AppSettings& settings, Prompter& prompter)
        : m_settings(settings)
        , m_prompter(prompter) {}

    struct Result {
        // False when nothing or not all was saved; the user has been told why, and every list
        // that was not saved keeps its modified flag.
        bool saved = false;
        // The window's changes were applied to the files as another program left them: the lists
        // now hold that program's entries too, whether or not the save then succeeded.
        bool listsReplaced = false;
    };

    Result run(TrackedLists& lists, ListsAsLoaded& loaded);

private:
    PromptAnswer askAboutChangedFiles(const QStringList& changed, bool canReapply);
    bool reapplyToFilesOnDisk(TrackedLists& lists, ListsAsLoaded& loaded);

    const AppSettings& m_settings;
    Prompter& m_prompter;
};

} // namespace quillmere
