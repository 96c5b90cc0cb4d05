#pragma once

#include "core/eval/AddedEvaluation.h"

#include <QString>

namespace quillmere {

enum class PromptButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class PromptAnswer { Ok, Cancel, Yes, No };

struct OpenFileRequest {
    QString title;
    QString initialFolder;
    // The file types offered, the first the default: each a description, as the dialog shows it,
    // and its pattern, all separated by "|" ("Text|*.txt|All Files (*.*)|*.*").
    QString filter;
};

// The choices of the factory list and release dialogs: the blacklist file by its name, first and
// default, then every file.
inline QString blacklistFileFilter() {
    return QStringLiteral("Imail blacklist|url-domain-bl.txt|All Files (*.*)|*.*");
}

// Every message box, question, file dialog and modal dialog of the program goes through this one
// interface, so each flow can be driven by a script in tests.
class Prompter {
public:
    static QString programTitle() { return QStringLiteral("Imail Quillmere"); }

    virtual ~Prompter() = default;

    // A message box without an icon; an empty title shows the program's title. The first button
    // is the default.
    virtual PromptAnswer ask(const QString& text, PromptButtons buttons,
                             const QString& title = QString()) = 0;
    void inform(const QString& text) { ask(text, PromptButtons::Ok); }

    // An Open file dialog; the chosen path, or an empty string on Cancel.
    virtual QString chooseOpenFile(const OpenFileRequest& request) = 0;

    // The Options dialog, modal; OK stores the settings. True when the user left it with its
    // Cancel button (closing it from the window frame is no Cancel).
    virtual bool showOptionsDialog() = 0;

    // The About box, modal.
    virtual void showAboutBox() = 0;

    // frmEval, modal, showing the evaluation; true when the user asked to trim the Added list.
    virtual bool showEvaluationDialog(const AddedEvaluation& evaluation) = 0;
};

} // namespace quillmere
