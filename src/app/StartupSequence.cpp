#include "app/StartupSequence.h"

#include "app/Prompter.h"
#include "app/files/ListFiles.h"
#include "app/settings/StoredSettings.h"
#include "platform/Registry.h"

namespace quillmere {

StartupSequence::StartupSequence(Module1& module, Registry& registry, Prompter& prompter,
                                 StartupWindows& windows)
    : m_settings(module.settings)
    , m_registry(registry)
    , m_prompter(prompter)
    , m_windows(windows) {}

std::optional<QString> StartupSequence::readSetting(const char* valueName) {
    return m_registry.read(m_settings.regRoot + QLatin1String(valueName));
}

void StartupSequence::readSwitchesAndImportPath() {
    m_settings.importPath = readSetting(valueName::importPath).value_or(QString());
    m_settings.exitSave = switchValue(readSetting(valueName::exitSave));
    m_settings.exitSort = switchValue(readSetting(valueName::exitSort));
    m_settings.restartQueue = switchValue(readSetting(valueName::restartQueue));
}

// False when the user left the dialog with Cancel.
bool StartupSequence::showsOptionsUntilCancelled() {
    return !m_prompter.showOptionsDialog();
}

void StartupSequence::greetFirstRun(const std::optional<QString>& imailTopDir,
                                    const QString& imailVersion) {
    if (!imailTopDir) {
        m_prompter.inform(QStringLiteral(
            "Thanks for installing the Quillmere for Imail. Imail does not appear to be installed "
            "on this machine. The URL blacklist can still be managed as long as the Imail root "
            "folder is accessible on a mapped network drive. At the next prompt, set the location "
            "of the Imail root folder. If the Quillmere is installed on the Imail machine, set the "
            "tracking data path to match the one on the server."));
        return;
    }
    if (isBeforeVersion8(imailVersion)) {
        m_prompter.inform(
            QStringLiteral("Warning: Anti-spam filtering associated with the file that this "
                           "program was designed to manage is available in Imail version 8.xx+. "
                           "This machine has version ") +
            imailVersion + QStringLiteral(" installed."));
    } else {
        m_prompter.inform(
            QStringLiteral("Thanks for installing the Quillmere for Imail. At the next prompt, "
                           "please confirm that your Imail root folder has been properly "
                           "detected."));
    }
    m_settings.imailPath = *imailTopDir;
    // A failed write is ignored: the folder is used for this run all the same.
    m_registry.write(m_settings.regRoot + QLatin1String(valueName::imailPath),
                     m_settings.imailPath);
}

StartupResult StartupSequence::run() {
    m_settings.regRoot = settingsKey();
    // A store that cannot be read would look like a first run whose answers could not be kept.
    if (const QString problem = m_registry.problem(); !problem.isEmpty()) {
        m_prompter.inform(problem +
                          QStringLiteral("\nThe program ends; the file is left as it is."));
        return StartupResult::Ended;
    }
    // A value that cannot be read would pass for one never stored, and give way to a default
    // folder.
    if (const QString problem = storedValuesProblem(m_registry); !problem.isEmpty()) {
        m_prompter.inform(problem +
                          QStringLiteral("\nThe program ends; the value is left as it is."));
        return StartupResult::Ended;
    }

    const std::optional<QString> imailTopDir = m_registry.read(imailTopDirName());
    QString imailVersion;
    if (imailTopDir) {
        m_settings.imailInstalled = true;
        imailVersion = m_registry.read(imailVersionName()).value_or(QString());
    }

    readSwitchesAndImportPath();

    const std::optional<QString> installPath = readSetting(valueName::installPath);
    if (!installPath) {
        m_prompter.inform(QStringLiteral("Couldn't find install folder - please reinstall"));
        return StartupResult::Ended;
    }
    m_settings.installPath = *installPath;

    if (const std::optional<QString> dataPath = readSetting(valueName::dataPath)) {
        m_settings.dataPath = *dataPath;
    } else {
        m_settings.dataPath = defaultDataPath(m_settings.installPath);
        // A failed write is ignored: the folder is used for this run all the same.
        m_registry.write(m_settings.regRoot + QLatin1String(valueName::dataPath),
                         m_settings.dataPath);
    }

    if (const std::optional<QString> imailPath = readSetting(valueName::imailPath)) {
        m_settings.imailPath = *imailPath;
        if (!fileExists(mainListPath(m_settings.imailPath))) {
            m_prompter.inform(
                QStringLiteral("The file url-domain-bl.txt could not be found in the folder set "
                               "as the Imail root. Please re-select."));
            if (imailTopDir)
                m_settings.imailPath = *imailTopDir;
            if (!showsOptionsUntilCancelled())
                return StartupResult::Ended;
        }
    } else {
        greetFirstRun(imailTopDir, imailVersion);
        if (!showsOptionsUntilCancelled())
            return StartupResult::Ended;
    }

    m_windows.showLoadingWindow();
    m_windows.createAndShowMainWindow();
    return StartupResult::MainWindowShown;
}

} // namespace quillmere
