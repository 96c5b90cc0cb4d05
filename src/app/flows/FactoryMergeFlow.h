#pragma once

#include "app/CommandDisplay.h"
#include "app/Prompter.h"
#include "app/settings/AppSettings.h"
#include "core/lists/TrackedLists.h"

#include <string_view>

namespace quillmere {

// "&Merge new factory list..." and "Rebuild" in the main window: the file dialog, the progress
// texts, the Main list hidden while it is rebuilt, and the state after.
class FactoryMergeFlow final {
public:
    FactoryMergeFlow(TrackedLists& lists, const Module1& module, Prompter& prompter,
                     CommandDisplay& display);
    FactoryMergeFlow(const FactoryMergeFlow&) = delete;
    FactoryMergeFlow& operator=(const FactoryMergeFlow&) = delete;

    // mergeFactoryList: with mergeNewFile a factory file chosen by the user is merged in;
    // without, the Main list is rebuilt from itself and the Added and Removed lists.
    void run(bool mergeNewFile);

private:
    void showPhase(std::string_view text);

    TrackedLists& m_lists;
    const Module1& m_module;
    Prompter& m_prompter;
    CommandDisplay& m_display;
};

} // namespace quillmere
