#include "app/flows/AddedEvaluationFlow.h"

#include "app/files/ListFiles.h"
#include "core/eval/AddedEvaluation.h"

#include <utility>

namespace quillmere {

namespace {

constexpr int kAddedTab = 2;

} // namespace

AddedEvaluationFlow::AddedEvaluationFlow(TrackedLists& lists, Module1& module, Prompter& prompter,
                                         CommandDisplay& display)
    : m_lists(lists)
    , m_module(module)
    , m_prompter(prompter)
    , m_display(display) {}

void AddedEvaluationFlow::run() {
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
    if (m_prompter.showEvaluationDialog(evaluation))
        trim(evaluation);
}

void AddedEvaluationFlow::trim(const AddedEvaluation& evaluation) {
    // The listed entries are the ones dropped: the save journals each as trimmed.
    trimAdded(m_lists, evaluation);
    m_display.changeStatus();
    if (m_display.selectedTab() == kAddedTab)
        m_display.showCount(ListId::Added);
}

} // namespace quillmere
