#pragma once

#include "app/CommandDisplay.h"
#include "app/Prompter.h"
#include "app/settings/AppSettings.h"
#include "core/eval/AddedEvaluation.h"
#include "core/lists/TrackedLists.h"

namespace quillmere {

// "&Evaluate added URLs..." in the main window: the release chosen and read, the Added list split
// into the entries the release lacks and those it lists, frmEval shown, and the trim when it is
// asked for. The Main and Removed lists are never touched.
class AddedEvaluationFlow final {
public:
    AddedEvaluationFlow(TrackedLists& lists, Module1& module, Prompter& prompter,
                        CommandDisplay& display);
    AddedEvaluationFlow(const AddedEvaluationFlow&) = delete;
    AddedEvaluationFlow& operator=(const AddedEvaluationFlow&) = delete;

    // mnuToolsEval_Click.
    void run();

private:
    void trim(const AddedEvaluation& evaluation);

    TrackedLists& m_lists;
    Module1& m_module;
    Prompter& m_prompter;
    CommandDisplay& m_display;
};

} // namespace quillmere
