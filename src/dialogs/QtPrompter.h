#pragma once

#include "app/Prompter.h"

#include <QPointer>
#include <QWidget>

namespace quillmere {

// The prompts as real Qt message boxes and file dialogs, owned by the given window.
class QtPrompter : public Prompter {
public:
    void setOwner(QWidget* owner) { m_owner = owner; }

    PromptAnswer ask(const QString& text, PromptButtons buttons, const QString& title) override;
    QString chooseOpenFile(const OpenFileRequest& request) override;
    void showAboutBox() override;

private:
    QPointer<QWidget> m_owner;
};

} // namespace quillmere
