#include "app/flows/AddedEvaluationFlow.h"

#include "app/files/ListFiles.h"
#include "core/eval/AddedEvaluation.h"

#include <utility>
#include <vector>

namespace quillmere {

namespace {

constexpr int kAddedTab = 2;

EntryList nonEmptyEntries(const EntryList& entries) {
    std::vector<std::string_view> views;
    views.reserve(entries.size());
    for (std::string_view entry : entries) {
        if (!entry.empty())
            views.push_back(entry);
    }
    return EntryList::fromViews(std::move(views), entries.blocks());
}

} // namespace

AddedEvaluationFlow::AddedEvaluationFlow(TrackedLists& lists, Module1& module, Prompter& prompter,
                                         CommandDisplay& display)
    : m_lists(lists)
    , m_module(module)
    , m_prompter(prompter)
    , m_display(display) {}

void AddedEvaluationFlow::run() {
    m_module.evalUnique.clear();
    m_module.evalListed.clear();
    const QString path =
        m_prompter.chooseOpenFile({QStringLiteral("Ipswitch release to cross check"),
                                   m_module.settings.importPath, blacklistFileFilter()});
    if (path.isEmpty())
        return;

    m_display.showProgress(kEvalLoadingText);
    const ReadResult read = readFileBytes(path);
    if (!read.bytes) {
        m_display.showProgress({});
        m_prompter.inform(read.error);
        return;
    }
    AddedEvaluation evaluation =
        evaluateAdded(m_lists.added(), **read.bytes,
                      [this](std::string_view text) { m_display.showProgress(text); });
    m_display.showProgress({});
    m_module.evalUnique = std::move(evaluation.unique);
    m_module.evalListed = std::move(evaluation.listed);

    // Only the dialog's "Trim added list" answers yes; a flag left over from another dialog does
    // not.
    m_module.modalFlag = false;
    m_prompter.showEvaluationDialog();
    if (m_module.modalFlag)
        trim();
}

void AddedEvaluationFlow::trim() {
    // The listed entries are the ones dropped: the save journals each as trimmed.
    trimAdded(m_lists,
              {nonEmptyEntries(m_module.evalUnique), nonEmptyEntries(m_module.evalListed)});
    m_display.changeStatus();
    if (m_display.selectedTab() == kAddedTab)
        m_display.showCount(ListId::Added);
}

} // namespace quillmere
