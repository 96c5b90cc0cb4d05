#include "gui/QtPrompter.h"

#include "gui/dialogs/AboutBox.h"
#include "gui/dialogs/EvaluationDialog.h"
#include "gui/dialogs/OptionsDialog.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

namespace quillmere {

namespace {

// Qt's form of the file types, "description (pattern)" each; the dialog is told to show the
// descriptions only, so a description may hold a pattern of its own, as "All Files (*.*)" does.
QStringList nameFilters(const QString& filter) {
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype k = 0; k + 1 < parts.size(); k += 2)
        filters << QStringLiteral("%1 (%2)").arg(parts[k], parts[k + 1]);
    return filters;
}

// A question without Cancel can only be answered, as on Windows: Escape does nothing and the close
// box is disabled. QMessageBox takes a lone No button for both, so No gets a role it takes for
// neither, which keeps it beside Yes; without an escape button the box ignores Escape and every
// close, and the window manager is asked for no close button.
void withoutWayOut(QMessageBox& box, QPushButton* no) {
    box.removeButton(no);
    box.addButton(no, QMessageBox::ActionRole);
    box.setWindowFlag(Qt::WindowCloseButtonHint, false);
}

} // namespace

QtPrompter::~QtPrompter() {
    delete m_evaluationDialog;
}

PromptAnswer QtPrompter::ask(const QString& text, PromptButtons buttons, const QString& title) {
    QMessageBox box(m_owner);
    box.setIcon(QMessageBox::NoIcon);
    box.setWindowTitle(title.isEmpty() ? programTitle() : title);
    box.setText(text);
    QList<QPair<QPushButton*, PromptAnswer>> answers;
    auto addButton = [&](QMessageBox::StandardButton button, PromptAnswer answer) {
        answers.append({box.addButton(button), answer});
    };
    switch (buttons) {
    case PromptButtons::Ok:
        addButton(QMessageBox::Ok, PromptAnswer::Ok);
        break;
    case PromptButtons::OkCancel:
        addButton(QMessageBox::Ok, PromptAnswer::Ok);
        addButton(QMessageBox::Cancel, PromptAnswer::Cancel);
        break;
    case PromptButtons::YesNo:
        addButton(QMessageBox::Yes, PromptAnswer::Yes);
        addButton(QMessageBox::No, PromptAnswer::No);
        withoutWayOut(box, answers.last().first);
        break;
    case PromptButtons::YesNoCancel:
        addButton(QMessageBox::Yes, PromptAnswer::Yes);
        addButton(QMessageBox::No, PromptAnswer::No);
        addButton(QMessageBox::Cancel, PromptAnswer::Cancel);
        break;
    }
    // The first button is the default, as Enter presses it in every message box of the program.
    box.setDefaultButton(answers.first().first);
    box.exec();
    for (const auto& [button, answer] : answers) {
        if (box.clickedButton() == button)
            return answer;
    }
    // Gone without an answer (Escape and the close box click the escape button, where there is
    // one): the answer that changes nothing.
    if (buttons == PromptButtons::YesNo)
        return PromptAnswer::No;
    return buttons == PromptButtons::Ok ? PromptAnswer::Ok : PromptAnswer::Cancel;
}

QString QtPrompter::chooseOpenFile(const OpenFileRequest& request) {
    // A new dialog each time, so it always opens with an empty file name, on the first filter.
    QFileDialog dialog(m_owner, request.title, request.initialFolder);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setNameFilters(nameFilters(request.filter));
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().constFirst();
}

bool QtPrompter::showOptionsDialog() {
    Q_ASSERT(m_module && m_registry && m_drives);
    OptionsDialog dialog(*m_module, *m_registry, *this, *m_drives, m_owner);
    dialog.exec();
    return dialog.cancelled();
}

void QtPrompter::showAboutBox() {
    AboutBox about(m_owner);
    about.exec();
}

bool QtPrompter::showEvaluationDialog(const AddedEvaluation& evaluation) {
    if (!m_evaluationDialog)
        m_evaluationDialog = new EvaluationDialog(m_owner);
    return m_evaluationDialog->askToTrim(evaluation);
}

} // namespace quillmere
