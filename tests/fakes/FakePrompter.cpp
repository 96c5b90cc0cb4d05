#include "FakePrompter.h"

#include <QTest>

namespace quillmere::test {

PromptAnswer FakePrompter::ask(const QString& text, PromptButtons buttons, const QString& title) {
    m_shown.append({text, title.isEmpty() ? programTitle() : title, buttons});
    m_log.append(text);
    // A message with only an OK button needs no scripted answer.
    if (buttons != PromptButtons::Ok && m_answers.isEmpty()) {
        QTest::qFail(qPrintable(QStringLiteral("unexpected question: ") + text), __FILE__,
                     __LINE__);
        return PromptAnswer::Cancel;
    }
    runPromptUser();
    return buttons == PromptButtons::Ok ? PromptAnswer::Ok : m_answers.takeFirst();
}

QString FakePrompter::chooseOpenFile(const OpenFileRequest& request) {
    m_fileRequests.append(request);
    m_log.append(QStringLiteral("[Open: %1]").arg(request.title));
    if (m_files.isEmpty()) {
        QTest::qFail("unexpected file dialog", __FILE__, __LINE__);
        return QString();
    }
    runPromptUser();
    return m_files.takeFirst();
}

void FakePrompter::runPromptUser() {
    if (!m_promptUsers.isEmpty())
        m_promptUsers.takeFirst()();
}

bool FakePrompter::showOptionsDialog() {
    m_log.append(QStringLiteral("[Options]"));
    if (m_optionsUsers.isEmpty()) {
        QTest::qFail("unexpected Options dialog", __FILE__, __LINE__);
        return true;
    }
    return m_optionsUsers.takeFirst()();
}

void FakePrompter::showAboutBox() {
    m_log.append(QStringLiteral("[About]"));
}

bool FakePrompter::showEvaluationDialog(const AddedEvaluation& evaluation) {
    m_log.append(QStringLiteral("[Evaluation]"));
    if (m_evaluationUsers.isEmpty()) {
        QTest::qFail("unexpected evaluation dialog", __FILE__, __LINE__);
        return false;
    }
    return m_evaluationUsers.takeFirst()(evaluation);
}

QStringList FakePrompter::shownTexts() const {
    QStringList texts;
    for (const Shown& shown : m_shown)
        texts << shown.text;
    return texts;
}

} // namespace quillmere::test
