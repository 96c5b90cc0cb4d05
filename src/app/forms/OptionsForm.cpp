#include "app/forms/OptionsForm.h"

#include "app/Prompter.h"
#include "app/files/ListFiles.h"
#include "app/settings/StoredSettings.h"
#include "platform/Registry.h"

#include <QStringList>
#include <optional>

namespace quillmere {

namespace {

std::size_t indexOf(PathField field) {
    return static_cast<std::size_t>(field);
}

struct StoredValue {
    const char* name;
    QString text;
};

} // namespace

OptionsForm::OptionsForm(Module1& module, Registry& registry, Prompter& prompter)
    : m_module(module)
    , m_registry(registry)
    , m_prompter(prompter) {}

QString OptionsForm::pathHintText(PathField field) {
    switch (field) {
    case PathField::ImailRoot:
        return QStringLiteral("The path where the file, url-domain-bl.txt can be found. "
                              "Generally, this is the Imail root folder.");
    case PathField::TrackingData:
        return QStringLiteral("The path where this program's domain tracking data is stored. "
                              "This option exists in case the Quillmere is installed on another "
                              "machine in the network.");
    case PathField::DefaultImport:
        return QStringLiteral("The default location to look for freshly-downloaded blacklist "
                              "files. This parameter is optional.");
    }
    return QString();
}

QString OptionsForm::hintText(HintControl control) {
    switch (control) {
    case HintControl::Label1:
        return pathHintText(PathField::ImailRoot);
    case HintControl::Label7:
        return pathHintText(PathField::TrackingData);
    case HintControl::Label2:
        return pathHintText(PathField::DefaultImport);
    case HintControl::Label3:
    case HintControl::CheckSort:
        return QStringLiteral("If data in the main list has changed, automaically sort it when "
                              "exiting the program. With this option checked, \"Save on exit\" "
                              "is enabled since it wouldn't do much good to sort without saving.");
    case HintControl::Label4:
    case HintControl::CheckSave:
        return QStringLiteral("If data has changed, automatically save without prompting when "
                              "exiting the program.");
    case HintControl::Label5:
    case HintControl::CheckQueue:
        return QStringLiteral("Imail must be installed on the local machine in order to enable "
                              "this option. Once url-domain-bl.txt has been edited, the Imail "
                              "queue manager must be restarted for changes to take effect.");
    case HintControl::Frame2:
        break;
    }
    return QString();
}

QString OptionsForm::chooserCaption(PathField field) {
    switch (field) {
    case PathField::ImailRoot:
        return QStringLiteral("Imail root folder");
    case PathField::TrackingData:
        return QStringLiteral("Tracking data folder");
    case PathField::DefaultImport:
        return QStringLiteral("Default import folder");
    }
    return QString();
}

void OptionsForm::load() {
    const AppSettings& settings = m_module.settings;
    m_paths = {settings.imailPath, settings.dataPath, settings.importPath};
    m_save = settings.exitSave;
    if (settings.exitSort != m_sort) {
        m_sort = settings.exitSort;
        sortSwitchChanged();
    }
    if (settings.imailInstalled) {
        m_queue = settings.restartQueue;
    } else {
        m_queue = 0;
        m_queueEnabled = false;
    }
    if (settings.exitSort == 1)
        m_saveEnabled = false;
}

const QString& OptionsForm::pathText(PathField field) const {
    return m_paths[indexOf(field)];
}

void OptionsForm::setPathText(PathField field, const QString& text) {
    m_paths[indexOf(field)] = text;
}

void OptionsForm::setSaveSwitch(std::int16_t value) {
    if (m_saveEnabled)
        m_save = value;
}

void OptionsForm::setSortSwitch(std::int16_t value) {
    if (value == m_sort)
        return;
    m_sort = value;
    sortSwitchChanged();
}

void OptionsForm::setQueueSwitch(std::int16_t value) {
    if (m_queueEnabled)
        m_queue = value;
}

void OptionsForm::sortSwitchChanged() {
    if (m_sort == 1) {
        m_module.prevExitSave = m_save;
        m_save = 1;
        m_saveEnabled = false;
    } else {
        m_save = m_module.prevExitSave;
        m_saveEnabled = true;
    }
}

void OptionsForm::pathFieldGotFocus(PathField field) {
    m_hint = pathHintText(field);
    m_focusHint = m_hint;
}

void OptionsForm::pathFieldLostFocus() {
    m_hint.clear();
    m_focusHint.clear();
}

void OptionsForm::mouseMovedOver(HintControl control) {
    m_hint = control == HintControl::Frame2 ? m_focusHint : hintText(control);
}

void OptionsForm::chooseFolder(PathField field, FolderChooser& chooser) {
    chooser.open(chooserCaption(field));
    const QString start = pathText(field);
    chooser.initData(start);
    m_module.checkDriveType = field != PathField::DefaultImport;
    // Closed from the window frame, the chooser gives the start folder back.
    const QString chosen = chooser.showModal().value_or(start);
    m_module.lastChosenPath = chosen;

    if (chosen.isEmpty())
        return;
    if (field == PathField::ImailRoot && !fileExists(mainListPath(chosen))) {
        m_prompter.inform(QStringLiteral("url-domain-bl.txt not found in ") + chosen);
        return;
    }
    setPathText(field, chosen);
}

bool OptionsForm::ok() {
    const std::array<StoredValue, 6> values{{
        {valueName::imailPath, pathText(PathField::ImailRoot)},
        {valueName::dataPath, pathText(PathField::TrackingData)},
        {valueName::importPath, pathText(PathField::DefaultImport)},
        {valueName::exitSave, switchText(m_save)},
        {valueName::exitSort, switchText(m_sort)},
        {valueName::restartQueue, switchText(m_queue)},
    }};
    const QString& root = m_module.settings.regRoot;
    std::array<std::optional<QString>, 6> before;
    for (std::size_t i = 0; i < values.size(); ++i)
        before[i] = m_registry.read(root + QLatin1String(values[i].name));

    for (std::size_t i = 0; i < values.size(); ++i) {
        if (m_registry.write(root + QLatin1String(values[i].name), values[i].text))
            continue;
        // Take back what this OK already wrote, so the registry keeps the settings in use.
        QStringList notRestored;
        for (std::size_t j = 0; j < i; ++j) {
            const QString name = root + QLatin1String(values[j].name);
            const bool restored =
                before[j] ? m_registry.write(name, *before[j]) : m_registry.remove(name);
            if (!restored)
                notRestored << QLatin1String(values[j].name);
        }
        QString message = QStringLiteral("Could not write the registry value %1.")
                              .arg(root + QLatin1String(values[i].name));
        if (notRestored.isEmpty())
            message += QStringLiteral(" No setting was changed.");
        else
            message += QStringLiteral(" The values written before it could not be restored: %1.")
                           .arg(notRestored.join(QStringLiteral(", ")));
        m_prompter.inform(message);
        return false;
    }

    AppSettings& settings = m_module.settings;
    settings.exitSave = m_save;
    settings.exitSort = m_sort;
    settings.restartQueue = m_queue;
    settings.imailPath = pathText(PathField::ImailRoot);
    settings.dataPath = pathText(PathField::TrackingData);
    settings.importPath = pathText(PathField::DefaultImport);
    return true;
}

void OptionsForm::cancel() {
    m_module.lastChosenPath.clear();
    m_cancelled = true;
}

} // namespace quillmere
