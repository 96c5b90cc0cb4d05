#include "cli/SettingsCommands.h"

#include "app/settings/StoredSettings.h"
#include "app/update/FactoryUrl.h"
#include "platform/AbsoluteFolder.h"
#include "platform/Registry.h"

#include <array>

namespace quillmere::cli {

namespace {

constexpr std::array<const char*, 8> settingNames{
    valueName::imailPath, valueName::dataPath, valueName::importPath,   valueName::installPath,
    valueName::exitSave,  valueName::exitSort, valueName::restartQueue, valueName::factoryUrl,
};

bool isFactoryUrl(const QString& name) {
    return name == QLatin1String(valueName::factoryUrl);
}

// A password in the stored URL is never printed.
QString shownValue(const QString& name, const QString& value) {
    if (!isFactoryUrl(name) || value.isEmpty())
        return value;
    QString problem;
    const std::optional<QUrl> url = factoryUrl(value, problem);
    return url ? shownUrl(*url) : value;
}

bool isSwitch(const QString& name) {
    return name == QLatin1String(valueName::exitSave) ||
           name == QLatin1String(valueName::exitSort) ||
           name == QLatin1String(valueName::restartQueue);
}

QString fullName(const QString& name) {
    return settingsKey() + name;
}

// A store that cannot be read is reported rather than shown as holding nothing.
bool reportProblem(Registry& registry, const CliContext& context) {
    const QString problem = storedValuesProblem(registry);
    if (!problem.isEmpty())
        context.printError(problem);
    return !problem.isEmpty();
}

int printSettings(Registry& registry, const CliContext& context) {
    if (reportProblem(registry, context))
        return Failure;
    QStringList missing;
    QStringList notes;
    for (const char* name : settingNames) {
        const QString valueName = QLatin1String(name);
        const std::optional<QString> stored = registry.read(fullName(valueName));
        context.printLine(valueName + QLatin1Char('=') +
                          shownValue(valueName, stored.value_or(QString())));
        if (!stored) {
            missing << valueName;
        } else if (isSwitch(valueName) && *stored != QLatin1String("0") &&
                   switchValue(stored) == 0) {
            notes << QStringLiteral("%1 \"%2\" is not 0 or 1 and counts as 0")
                         .arg(valueName, *stored);
        }
    }
    if (const std::optional<QString> topDir = registry.read(imailTopDirName())) {
        context.printLine(QStringLiteral("TopDir=") + *topDir);
        if (const std::optional<QString> version = registry.read(imailVersionName()))
            context.printLine(QStringLiteral("Version=") + *version);
    }
    if (!missing.isEmpty())
        context.printError(QStringLiteral("Not stored: ") + missing.join(QStringLiteral(", ")));
    for (const QString& note : std::as_const(notes))
        context.printError(note);
    return Success;
}

int setSetting(Registry& registry, const CliContext& context, const QString& name,
               const QString& value) {
    if (name == QLatin1String(valueName::installPath)) {
        context.printError(
            QStringLiteral("installPath is the installer's and is never written by this program"));
        return Usage;
    }
    const bool known =
        name == QLatin1String(valueName::imailPath) || name == QLatin1String(valueName::dataPath) ||
        name == QLatin1String(valueName::importPath) || isSwitch(name) || isFactoryUrl(name);
    if (!known) {
        context.printError(QStringLiteral("Unknown setting \"%1\": use imailPath, dataPath, "
                                          "importPath, exitSave, exitSort, restartQueue or "
                                          "factoryUrl")
                               .arg(name));
        return Usage;
    }
    if (isSwitch(name) && value != QLatin1String("0") && value != QLatin1String("1")) {
        context.printError(
            QStringLiteral("%1 is a switch: give 0 or 1, not \"%2\"").arg(name, value));
        return Usage;
    }
    if (value.contains(QLatin1Char('\r')) || value.contains(QLatin1Char('\n'))) {
        context.printError(
            QStringLiteral("%1 cannot hold a line break (CR or LF): a settings value is one line")
                .arg(name));
        return Usage;
    }
    // An argument in another encoding than the terminal's UTF-8 arrives with U+FFFD in place of
    // its bytes; stored, the value could never name the folder meant.
    if (value.contains(QChar::ReplacementCharacter)) {
        context.printError(
            QStringLiteral(
                "%1 cannot be stored: \"%2\" is not UTF-8 text (U+FFFD stands for what is not)")
                .arg(name, value));
        return Usage;
    }
    // An empty factoryUrl stores none: update then needs a URL on its command line.
    QString urlProblem;
    if (isFactoryUrl(name) && !value.isEmpty() && !factoryUrl(value, urlProblem)) {
        context.printError(QStringLiteral("factoryUrl must be an absolute https, http or file "
                                          "URL or empty: %1")
                               .arg(urlProblem));
        return Usage;
    }
    // A relative folder would be found from wherever a program happens to start, and an empty
    // one is the root folder. No default import folder is written as empty.
    const bool mayBeEmpty = name == QLatin1String(valueName::importPath);
    if (!isSwitch(name) && !isFactoryUrl(name) && !isAbsoluteFolder(value) &&
        !(mayBeEmpty && value.isEmpty())) {
        context.printError(
            QStringLiteral("%1 must be an absolute folder%2, not \"%3\"")
                .arg(name, mayBeEmpty ? QStringLiteral(" or empty") : QString(), value));
        return Usage;
    }
    // A store that cannot be read is never rewritten: its unread values would be lost.
    if (reportProblem(registry, context))
        return Failure;
    if (!registry.write(fullName(name), value)) {
        const QString reason = registry.writeFailure();
        context.printError(
            QStringLiteral("Could not write the registry value %1").arg(fullName(name)) +
            (reason.isEmpty() ? QString() : QStringLiteral(": ") + reason));
        return Failure;
    }
    return Success;
}

// The stored folder a command would use, reported when it is not absolute: it would be taken from
// the current folder, and an empty one is the root folder.
bool reportRelativeFolder(const CliContext& context, const char* name, const QString& value,
                          const char* option, const char* setting, const char* why = "") {
    if (isAbsoluteFolder(value))
        return false;
    context.printError(QStringLiteral("The stored %1 (%2) is \"%3\", not an absolute folder%4: "
                                      "give --%5 DIR, or store one with: quillmere-cli settings "
                                      "set %6 DIR")
                           .arg(QLatin1String(name), fullName(QLatin1String(name)), value,
                                QLatin1String(why), QLatin1String(option), QLatin1String(setting)));
    return true;
}

} // namespace

bool isSettingsCommand(const QString& name) {
    return name == QLatin1String("settings");
}

QString settingsUsage() {
    return usageLine(QStringLiteral("settings"),
                     QStringLiteral("print the stored settings as name=value lines")) +
           usageLine(QStringLiteral("settings set NAME VALUE"),
                     QStringLiteral("store imailPath, dataPath, importPath, factoryUrl, or "
                                    "exitSave, exitSort, restartQueue as 0 or 1"));
}

QString settingsHelp() {
    return QStringLiteral(
        "Usage: quillmere-cli [--registry FILE] settings\n"
        "       quillmere-cli [--registry FILE] settings set NAME VALUE\n"
        "\n"
        "settings prints the eight stored values as name=value lines (a password in\n"
        "factoryUrl as ***), then Imail's\n"
        "TopDir= and Version= when Imail's root folder is recorded; values not stored,\n"
        "and switches that are not 0 or 1, are named on standard error.\n"
        "\n"
        "settings set stores one of imailPath, dataPath, importPath, factoryUrl, or\n"
        "exitSave, exitSort, restartQueue as 0 or 1. The folders must be absolute\n"
        "(importPath may be empty: no default import folder); factoryUrl is the\n"
        "absolute https, http or file URL that update fetches when given none (empty:\n"
        "none). installPath is the installer's and is refused, as are other names,\n"
        "relative folders and other URLs (exit status 2); a failed write is exit\n"
        "status 1.\n"
        "Neither loads a list.");
}

int runSettingsCommand(Registry& registry, const CliContext& context,
                       const QStringList& arguments) {
    if (arguments.isEmpty())
        return printSettings(registry, context);
    if (arguments.size() == 3 && arguments.at(0) == QLatin1String("set"))
        return setSetting(registry, context, arguments.at(1), arguments.at(2));
    context.printError(QStringLiteral("Usage: quillmere-cli [options] settings [set NAME VALUE]"));
    return Usage;
}

int useStoredFolders(Registry& registry, CliContext& context, bool needImailPath,
                     bool needDataPath) {
    if (reportProblem(registry, context))
        return Failure;
    if (needImailPath) {
        const std::optional<QString> imailPath =
            registry.read(fullName(QLatin1String(valueName::imailPath)));
        if (!imailPath) {
            context.printError(
                QStringLiteral("No Imail root folder is stored (%1): give --imail-root DIR, or "
                               "store it with: quillmere-cli settings set imailPath DIR")
                    .arg(fullName(QLatin1String(valueName::imailPath))));
            return Usage;
        }
        if (reportRelativeFolder(context, valueName::imailPath, *imailPath, "imail-root",
                                 valueName::imailPath))
            return Failure;
        context.imailPath = *imailPath;
    }
    if (needDataPath) {
        if (const auto dataPath = registry.read(fullName(QLatin1String(valueName::dataPath)))) {
            if (reportRelativeFolder(context, valueName::dataPath, *dataPath, "data",
                                     valueName::dataPath))
                return Failure;
            context.dataPath = *dataPath;
        } else if (const auto installPath =
                       registry.read(fullName(QLatin1String(valueName::installPath)))) {
            if (reportRelativeFolder(context, valueName::installPath, *installPath, "data",
                                     valueName::dataPath, ", so it has no URLdata folder"))
                return Failure;
            context.dataPath = defaultDataPath(*installPath);
        } else {
            context.printError(
                QStringLiteral("No tracking data folder is stored (%1), nor an install folder "
                               "(%2): give --data DIR, or store it with: quillmere-cli settings "
                               "set dataPath DIR")
                    .arg(fullName(QLatin1String(valueName::dataPath)),
                         fullName(QLatin1String(valueName::installPath))));
            return Usage;
        }
    }
    return Success;
}

} // namespace quillmere::cli
