#pragma once

#include "app/Prompter.h"

#include <QPointer>
#include <QWidget>

namespace quillmere {

class Drives;
class EvaluationDialog;
class Registry;
struct Module1;

// The prompts as real Qt message boxes and file dialogs, owned by the given window.
class QtPrompter final : public Prompter {
public:
    QtPrompter() = default;
    ~QtPrompter() override;
    QtPrompter(const QtPrompter&) = delete;
    QtPrompter& operator=(const QtPrompter&) = delete;

    void setOwner(QWidget* owner) { m_owner = owner; }
    // What the Options dialog edits and stores, and the drives its folder chooser lists.
    void setSettings(Module1& module, Registry& registry, Drives& drives) {
        m_module = &module;
        m_registry = &registry;
        m_drives = &drives;
    }

    PromptAnswer ask(const QString& text, PromptButtons buttons, const QString& title) override;
    QString chooseOpenFile(const OpenFileRequest& request) override;
    bool showOptionsDialog() override;
    void showAboutBox() override;
    bool showEvaluationDialog(const AddedEvaluation& evaluation) override;

private:
    QPointer<QWidget> m_owner;
    // frmEval is made on the first evaluation and kept for the later ones; the owner window
    // deletes it with itself.
    QPointer<EvaluationDialog> m_evaluationDialog;
    Module1* m_module = nullptr;
    Registry* m_registry = nullptr;
    Drives* m_drives = nullptr;
};

} // namespace quillmere
