#pragma once

#include "core/lists/TrackedLists.h"

#include <string_view>

namespace quillmere {

// What the long commands (the merge and the evaluation) show in the main window while they run
// and when they end; the window implements it, tests record it.
class CommandDisplay {
public:
    virtual ~CommandDisplay() = default;

    // Panel 1 of the status bar, painted before this returns: the commands run to their end
    // without going back to the event loop, so a text only set would never be seen.
    virtual void showProgress(std::string_view text) = 0;
    // Panel 3: the list's count text ("1234 listed").
    virtual void showCount(ListId list) = 0;
    // Panel 1's summary of the modified flags and the menu items that follow them.
    virtual void changeStatus() = 0;
    // The Main list control, hidden while the list is rebuilt.
    virtual void setMainListShown(bool shown) = 0;
    // The selected tab of the tab strip: 1 "Main", 2 "Added", 3 "Removed".
    virtual int selectedTab() const = 0;
};

} // namespace quillmere
