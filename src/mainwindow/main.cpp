// The desktop program. Until the start-up sequence (registry, first run, Options dialog) joins
// this build, the settings come straight from a registry file in INI form.

#include "MainWindow.h"
#include "dialogs/QtPrompter.h"
#include "platform/SystemQueueLauncher.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QSettings>
#include <QStandardPaths>
#include <cstdio>

using namespace quillmere;

namespace {

// The Options dialog is not in this build: its showing counts as cancelled.
class InterimPrompter final : public QtPrompter {
public:
    explicit InterimPrompter(Module1& module)
        : m_module(module) {}

    void showOptionsDialog() override {
        inform(QStringLiteral("The Options dialog is not part of this build yet."));
        m_module.modalFlag = true;
    }

private:
    Module1& m_module;
};

AppSettings readSettings(const QString& registryFile) {
    const QSettings registry(registryFile, QSettings::IniFormat);
    const QString root = QStringLiteral("HKEY_LOCAL_MACHINE/SOFTWARE/Brindlecove/Quillmere/");
    const QString imail = QStringLiteral("HKEY_LOCAL_MACHINE/SOFTWARE/Ipswitch/IMail/Global/");
    auto text = [&registry, &root](const char* name) {
        return registry.value(root + QLatin1String(name)).toString();
    };
    auto isOn = [&text](const char* name) {
        return static_cast<std::int16_t>(text(name) == QStringLiteral("1") ? 1 : 0);
    };
    AppSettings settings;
    settings.regRoot = QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE\\Brindlecove\\Quillmere\\");
    settings.imailInstalled = registry.contains(imail + QStringLiteral("TopDir"));
    settings.installPath = text("installPath");
    settings.imailPath = text("imailPath");
    settings.dataPath = text("dataPath");
    if (settings.dataPath.isEmpty())
        settings.dataPath = settings.installPath + QStringLiteral("/URLdata");
    settings.importPath = text("importPath");
    settings.exitSave = isOn("exitSave");
    settings.exitSort = isOn("exitSort");
    settings.restartQueue = isOn("restartQueue");
    return settings;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillmere"));

    QCommandLineParser parser;
    parser.addHelpOption();
    const QCommandLineOption registryOption(
        QStringLiteral("registry"),
        QStringLiteral("The registry file (INI) to read settings from."), QStringLiteral("FILE"));
    parser.addOption(registryOption);
    parser.process(app);

    QString registryFile = parser.value(registryOption);
    if (registryFile.isEmpty())
        registryFile = qEnvironmentVariable("QUILLMERE_REGISTRY");
    if (registryFile.isEmpty())
        registryFile = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation) +
                       QStringLiteral("/registry.ini");

    Module1 module;
    module.settings = readSettings(registryFile);
    if (module.settings.installPath.isEmpty()) {
        std::fprintf(stderr, "No installPath in the registry file %s\n",
                     qPrintable(QDir::toNativeSeparators(registryFile)));
        return 1;
    }

    InterimPrompter prompter(module);
    SystemQueueLauncher launcher;
    MainWindow window(module, prompter, launcher);
    prompter.setOwner(&window);
    if (!window.formLoad())
        return 0;
    window.show();
    return QApplication::exec();
}
