#include "app/flows/SaveAllFlow.h"

#include "app/files/ListFiles.h"
#include "app/files/ListLoader.h"
#include "app/files/ListLock.h"
#include "app/files/ListSaver.h"
#include "core/lists/ReapplyChanges.h"

namespace quillmere {

namespace {
constexpr ListId kAllLists[] = {ListId::Main, ListId::Added, ListId::Removed};

std::size_t index(ListId id) {
    return static_cast<std::size_t>(id);
}
} // namespace

void ListsAsLoaded::reset(const LoadedFiles& loadedFiles, const TrackedLists& current) {
    files = loadedFiles;
    for (ListId id : kAllLists)
        lists[index(id)] = current.list(id);
    sortedSince = {};
    mergedSince = false;
}

PromptAnswer SaveAllFlow::askAboutChangedFiles(const QStringList& changed, bool canReapply) {
    const QString head =
        QStringLiteral("Changed by another program since the lists were loaded:\n%1\n\n")
            .arg(changed.join(QLatin1Char('\n')));
    if (canReapply)
        return m_prompter.ask(
            head + QStringLiteral("Yes: apply the changes made here to these files as they are "
                                  "now, keeping the other program's changes.\n"
                                  "No: overwrite them with the lists shown here; the other "
                                  "program's changes are lost.\n"
                                  "Cancel: save nothing."),
            PromptButtons::YesNoCancel);
    // A merge replaced the whole Main list; what it would make of the new files is another merge.
    const PromptAnswer answer = m_prompter.ask(
        head + QStringLiteral("The merge made here cannot be applied to them again.\n"
                              "OK: overwrite them with the lists shown here; the other program's "
                              "changes are lost.\n"
                              "Cancel: save nothing; Revert loads the files as they are now."),
        PromptButtons::OkCancel);
    return answer == PromptAnswer::Ok ? PromptAnswer::No : PromptAnswer::Cancel;
}

bool SaveAllFlow::reapplyToFilesOnDisk(TrackedLists& lists, ListsAsLoaded& loaded) {
    TrackedLists onDisk;
    const LoadOutcome now = loadLists(onDisk, m_settings.imailPath, m_settings.dataPath);
    if (!now.mainRead || !now.errors.isEmpty()) {
        QStringList errors = now.errors;
        if (!now.mainRead && errors.isEmpty())
            errors << QStringLiteral("The blacklist %1 does not exist.")
                          .arg(displayPath(mainListPath(m_settings.imailPath)));
        m_prompter.inform(errors.join(QLatin1Char('\n')) +
                          QStringLiteral("\nNo list file was changed."));
        return false;
    }
    for (ListId id : kAllLists) {
        const std::size_t k = index(id);
        EntryList result = lists.isModified(id)
                               ? reapplyChanges(loaded.lists[k], lists.list(id), onDisk.list(id),
                                                loaded.sortedSince[k])
                               : onDisk.list(id);
        loaded.lists[k] = onDisk.list(id);
        lists.replace(id, std::move(result));
    }
    loaded.files = now.files;
    return true;
}

SaveAllFlow::Result SaveAllFlow::run(TrackedLists& lists, ListsAsLoaded& loaded) {
    Result result;
    if (!lists.anyModified()) {
        result.saved = true;
        return result;
    }
    SaveRequest request{m_settings.imailPath, m_settings.dataPath, &loaded.files, false};
    bool reapply = false;
    SaveOutcome outcome;
    for (;;) {
        {
            ListLock lock(m_settings.imailPath);
            if (!lock.acquire(kLockWait)) {
                m_prompter.inform(lock.error() + QStringLiteral("\nNo list file was changed."));
                return result;
            }
            if (reapply) {
                if (!reapplyToFilesOnDisk(lists, loaded))
                    return result;
                result.listsReplaced = true;
            }
            outcome = saveAll(lists, request);
        }
        if (outcome.changedOnDisk.isEmpty())
            break;
        // Asked with the lock released: a question left open must not keep the command-line
        // tool waiting. The files are checked again under the lock after the answer.
        const PromptAnswer answer =
            askAboutChangedFiles(outcome.changedOnDisk, !loaded.mergedSince);
        if (answer == PromptAnswer::Cancel)
            return result;
        reapply = answer == PromptAnswer::Yes;
        request.overwriteChanged = answer == PromptAnswer::No;
    }
    if (!outcome.errors.isEmpty())
        m_prompter.inform(outcome.errors.join(QLatin1Char('\n')));
    for (const QString& warning : outcome.warnings)
        m_prompter.inform(warning);
    if (!outcome.saved())
        return result;
    loaded.reset(loaded.files, lists);
    result.saved = true;
    return result;
}

} // namespace quillmere
