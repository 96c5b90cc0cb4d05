#include "app/flows/FactoryMergeFlow.h"

#include "app/files/ListFiles.h"
#include "core/merge/FactoryMerge.h"

#include <new>
#include <optional>
#include <utility>

namespace quillmere {

FactoryMergeFlow::FactoryMergeFlow(TrackedLists& lists, const Module1& module, Prompter& prompter,
                                   CommandDisplay& display)
    : m_lists(lists)
    , m_module(module)
    , m_prompter(prompter)
    , m_display(display) {}

void FactoryMergeFlow::run(bool mergeNewFile) {
    QString path;
    if (mergeNewFile) {
        path = m_prompter.chooseOpenFile({QStringLiteral("New factory list"),
                                          m_module.settings.importPath, blacklistFileFilter()});
        if (path.isEmpty())
            return;
    }
    try {
        std::optional<EntryList::Block> factoryBytes;
        if (mergeNewFile) {
            // Read whole before anything changes: a file that cannot be read changes nothing.
            ReadResult read = readFileBytes(path);
            if (!read.bytes) {
                m_prompter.inform(read.error);
                return;
            }
            factoryBytes = std::move(read.bytes);
        }
        // The merge only reads the Main list, so the list is still whole should it run out of
        // memory.
        MergeOutcome outcome =
            mergeFactoryList(m_lists.main(), std::move(factoryBytes), m_lists.added(),
                             m_lists.removed(), [this](std::string_view text) { showPhase(text); });
        m_lists.replace(ListId::Main, std::move(outcome.main));
        m_lists.edits().recordMainReplaced(mergeNewFile ? EditAction::Merge : EditAction::Rebuild,
                                           path.isEmpty() ? std::string() : journalFilePath(path),
                                           outcome.gained, outcome.lost);
    } catch (const std::bad_alloc&) {
        m_display.changeStatus();
        m_display.setMainListShown(true);
        m_prompter.inform(
            QStringLiteral("Not enough memory to merge the lists; the Main list is unchanged."));
        return;
    }
    m_lists.setModified(ListId::Main, true);
    m_display.showCount(ListId::Main);
    m_display.changeStatus();
    m_display.setMainListShown(true);
}

void FactoryMergeFlow::showPhase(std::string_view text) {
    m_display.showProgress(text);
    // From the first phase on the Main list is hidden, so that it is not repainted while rebuilt.
    if (text == kMergeInitializingText)
        m_display.setMainListShown(false);
}

} // namespace quillmere
