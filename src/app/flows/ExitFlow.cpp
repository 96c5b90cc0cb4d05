#include "app/flows/ExitFlow.h"

namespace quillmere {

ExitDecision ExitFlow::run(const TrackedLists& lists, bool exitNoSave, const ExitSteps& steps) {
    // Only a change of the Main list needs the queue manager to read the file again.
    const bool mainModifiedAtStart = lists.isModified(ListId::Main);
    steps.closeOtherWindows();
    if (exitNoSave || !lists.anyModified())
        return ExitDecision::Close;

    if (m_settings.exitSort == 1)
        steps.sortMainList();
    const PromptAnswer answer =
        m_settings.exitSave == 1
            ? PromptAnswer::Yes
            : m_prompter.ask(QStringLiteral("Save list modifications before exit?"),
                             PromptButtons::YesNoCancel, QStringLiteral("list modified"));
    if (answer == PromptAnswer::Cancel)
        return ExitDecision::StayOpen;
    if (answer != PromptAnswer::Yes)
        return ExitDecision::Close;

    // A list that could not be written would be lost with the window.
    if (!steps.saveAll())
        return ExitDecision::StayOpen;
    if (mainModifiedAtStart && m_settings.imailInstalled)
        restartQueue();
    return ExitDecision::Close;
}

void ExitFlow::restartQueue() {
    if (m_settings.restartQueue != 1 && m_prompter.ask(QStringLiteral("Restart the queue manager?"),
                                                       PromptButtons::YesNo) != PromptAnswer::Yes)
        return;
    m_launcher.startQueueRestart(m_settings.installPath);
}

} // namespace quillmere
