// The desktop program: the start-up sequence, then the main window until it closes.

#include "app/CommandLineText.h"
#include "app/StartupSequence.h"
#include "gui/QtPrompter.h"
#include "gui/dialogs/LoadWindow.h"
#include "gui/mainwindow/MainWindow.h"
#include "platform/Registry.h"
#include "platform/SystemDrives.h"
#include "platform/SystemQueueLauncher.h"
#include "platform/SystemRegistry.h"

#include <QApplication>
#include <QCommandLineParser>
#include <cstdio>
#include <memory>
#include <optional>

using namespace quillmere;

namespace {

// The loading window and the main window, as the start-up sequence asks for them.
class DesktopWindows final : public StartupWindows {
public:
    DesktopWindows(Module1& module, QtPrompter& prompter, QueueLauncher& launcher)
        : m_module(module)
        , m_prompter(prompter)
        , m_launcher(launcher) {}

    void showLoadingWindow() override {
        m_loading = std::make_unique<LoadWindow>();
        m_loading->show();
    }

    void createAndShowMainWindow() override {
        m_main = std::make_unique<MainWindow>(m_module, m_prompter, m_launcher);
        m_prompter.setOwner(m_main.get());
        m_main->setLoadFinishedHook([this] {
            if (m_loading)
                m_loading->close();
        });
        m_mainShown = m_main->formLoad();
        if (m_mainShown)
            m_main->show();
    }

    bool mainWindowShown() const { return m_mainShown; }

private:
    Module1& m_module;
    QtPrompter& m_prompter;
    QueueLauncher& m_launcher;
    std::unique_ptr<LoadWindow> m_loading;
    std::unique_ptr<MainWindow> m_main;
    bool m_mainShown = false;
};

void print(std::FILE* stream, const QString& text) {
    std::fputs(qPrintable(text + QLatin1Char('\n')), stream);
}

// --help, --version and a wrong option are answered as text before the window system starts, so
// they work without a display. Returns the exit status when the program is to end.
std::optional<int> answerInText(QCommandLineParser& parser, const QCommandLineOption& helpOption,
                                const QCommandLineOption& versionOption, int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const QString usage = QStringLiteral("quillmere [options]");
    if (!parser.parse(arguments)) {
        print(stderr, parser.errorText() + QLatin1Char('\n') + helpText(parser, usage));
        return 2;
    }
    if (parser.isSet(helpOption)) {
        print(stdout, helpText(parser, usage));
        return 0;
    }
    if (parser.isSet(versionOption)) {
        print(stdout, versionText(QStringLiteral("quillmere")));
        return 0;
    }
    return std::nullopt;
}

} // namespace

int main(int argc, char** argv) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Edits the Imail URL domain blacklist and keeps track of hand edits."));
    const QCommandLineOption helpOption = parser.addHelpOption();
    const QCommandLineOption versionOption = parser.addVersionOption();
    const QCommandLineOption registryFileOption = registryOption();
    parser.addOption(registryFileOption);
    if (const std::optional<int> status =
            answerInText(parser, helpOption, versionOption, argc, argv))
        return *status;

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillmere"));
    // Again with the arguments as Qt reads them, which on Windows keeps every character of a path.
    parser.process(app);

    Module1 module;
    const std::unique_ptr<Registry> registry = openSystemRegistry(parser.value(registryFileOption));
    SystemDrives drives;
    QtPrompter prompter;
    prompter.setSettings(module, *registry, drives);
    SystemQueueLauncher launcher;
    DesktopWindows windows(module, prompter, launcher);

    if (StartupSequence(module, *registry, prompter, windows).run() == StartupResult::Ended ||
        !windows.mainWindowShown())
        return 0;
    return QApplication::exec();
}
