#pragma once

#include "app/Prompter.h"
#include "app/settings/AppSettings.h"
#include "core/lists/TrackedLists.h"
#include "platform/QueueLauncher.h"

#include <functional>

namespace quillmere {

// What the exit asks the window to do; each step keeps the window's display in step itself.
struct ExitSteps {
    std::function<void()> closeOtherWindows;
    std::function<void()> sortMainList;
    // False when a file could not be written; the failure has been reported already.
    std::function<bool()> saveAll;
};

enum class ExitDecision { Close, StayOpen };

// The decisions of the main window's exit: whether to sort, save and restart the queue manager,
// asking or following the switches, and whether the window may close.
class ExitFlow final {
public:
    ExitFlow(const AppSettings& settings, Prompter& prompter, QueueLauncher& launcher)
        : m_settings(settings)
        , m_prompter(prompter)
        , m_launcher(launcher) {}

    ExitDecision run(const TrackedLists& lists, bool exitNoSave, const ExitSteps& steps);

private:
    void restartQueue();

    const AppSettings& m_settings;
    Prompter& m_prompter;
    QueueLauncher& m_launcher;
};

} // namespace quillmere
