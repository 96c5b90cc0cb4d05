#pragma once

#include "app/Prompter.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

namespace quillmere::test {

// Records every prompt in order and answers from a script. A prompt with no scripted answer fails
// the test, so a flow cannot ask more than the test expects without being noticed.
class FakePrompter final : public Prompter {
public:
    struct Shown {
        QString text;
        QString title; // as the user sees it: the program's title when none was given
        PromptButtons buttons;
    };

    void answerNext(PromptAnswer answer) { m_answers.append(answer); }
    // What happens while the next message box (a question or a notice) or file dialog is open,
    // before it is answered.
    void whileNextPromptIsOpen(std::function<void()> user) {
        m_promptUsers.append(std::move(user));
    }
    void chooseNextFile(const QString& path) { m_files.append(path); }
    // What the user does in the next Options dialog (change settings, ...); it answers true for
    // Cancel.
    void onNextOptionsDialog(std::function<bool()> user) { m_optionsUsers.append(std::move(user)); }
    // What the user does in the next frmEval (look at what it shows, ...); it answers true for
    // "Trim added list".
    void onNextEvaluationDialog(std::function<bool(const AddedEvaluation&)> user) {
        m_evaluationUsers.append(std::move(user));
    }

    PromptAnswer ask(const QString& text, PromptButtons buttons, const QString& title) override;
    QString chooseOpenFile(const OpenFileRequest& request) override;
    bool showOptionsDialog() override;
    void showAboutBox() override;
    bool showEvaluationDialog(const AddedEvaluation& evaluation) override;

    // Every message text and every dialog ("[Options]", "[About]", "[Evaluation]",
    // "[Open: title]") in order.
    const QStringList& log() const { return m_log; }

    const QList<Shown>& shown() const { return m_shown; }
    QStringList shownTexts() const;
    const QList<OpenFileRequest>& fileRequests() const { return m_fileRequests; }
    bool allAnswersUsed() const {
        return m_answers.isEmpty() && m_files.isEmpty() && m_promptUsers.isEmpty() &&
               m_optionsUsers.isEmpty() && m_evaluationUsers.isEmpty();
    }

private:
    void runPromptUser();

    QList<PromptAnswer> m_answers;
    QStringList m_files;
    QList<Shown> m_shown;
    QList<OpenFileRequest> m_fileRequests;
    QList<std::function<void()>> m_promptUsers;
    QList<std::function<bool()>> m_optionsUsers;
    QList<std::function<bool(const AddedEvaluation&)>> m_evaluationUsers;
    QStringList m_log;
};

} // namespace quillmere::test
