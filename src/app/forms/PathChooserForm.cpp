#include "app/forms/PathChooserForm.h"

#include "app/Prompter.h"
#include "platform/PlatformFacts.h"

#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>

namespace quillmere {

namespace {

constexpr Qt::CaseSensitivity pathCase =
    platform::kPathsIgnoreCase ? Qt::CaseInsensitive : Qt::CaseSensitive;

QString withTrailingSlash(const QString& path) {
    return path.endsWith(QLatin1Char('/')) ? path : path + QLatin1Char('/');
}

// An absolute folder in one form: "/" separators, no closing one except at a root.
QString folderPath(const QString& path) {
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

} // namespace

DriveRuleResult applyDriveRule(int driveType, const QString& driveName) {
    switch (driveType) {
    case DriveUnknown:
        return {false, QStringLiteral("The drive type cannot be determined")};
    case DriveRemovable: {
        const QString letter = driveName.left(1).toLower();
        if (letter == QLatin1String("a") || letter == QLatin1String("b"))
            return {false, QStringLiteral("Floppy drive - I think you meant something else")};
        return {false, QStringLiteral("Removable drive - did you mean something else?")};
    }
    case DriveCdRom:
        return {false, QStringLiteral("CD-ROM drive - can't write")};
    case DriveNoRootDir:
    case DriveFixed:
    case DriveRemote:
    case DriveRamDisk:
        return {true, QString()};
    default:
        return {false, QString()};
    }
}

PathChooserForm::PathChooserForm(Module1& module, Drives& drives, Prompter& prompter)
    : m_module(module)
    , m_driveSource(drives)
    , m_prompter(prompter)
    , m_drives(drives.list()) {
    placeOnCurrentFolder();
}

int PathChooserForm::driveOf(const QString& folder) const {
    const QString path = withTrailingSlash(folder);
    int found = -1;
    for (int i = 0; i < m_drives.size(); ++i) {
        const QString root = withTrailingSlash(m_drives.at(i).root);
        if (path.startsWith(root, pathCase) &&
            (found < 0 || root.size() > m_drives.at(found).root.size()))
            found = i;
    }
    return found;
}

QString PathChooserForm::driveRootOf(const QString& folder) const {
    const int drive = driveOf(folder);
    if (drive >= 0)
        return folderPath(m_drives.at(drive).root);
    // A folder on no listed drive (a network path, say) is shown from the root of its volume.
    const QString volumeRoot = QStorageInfo(folder).rootPath();
    if (!volumeRoot.isEmpty() &&
        withTrailingSlash(folder).startsWith(withTrailingSlash(volumeRoot), pathCase))
        return folderPath(volumeRoot);
    return folder.left(folder.indexOf(QLatin1Char('/')) + 1); // "/" or "C:/"
}

void PathChooserForm::placeOnCurrentFolder() {
    m_currentFolder = folderPath(QDir::currentPath());
    m_selectedDrive = driveOf(m_currentFolder);
}

void PathChooserForm::initData(const QString& startFolder) {
    if (startFolder.isEmpty())
        return;
    const QFileInfo start(startFolder);
    if (!start.isDir()) {
        placeOnCurrentFolder();
        return;
    }
    const QString folder = folderPath(start.absoluteFilePath());
    const int drive = driveOf(folder);
    if (drive >= 0)
        changeDrive(drive);
    m_currentFolder = folder;
    if (drive >= 0)
        m_folderOnDrive.insert(m_drives.at(drive).root, folder);
}

void PathChooserForm::changeDrive(int index) {
    if (index == m_selectedDrive || index < 0 || index >= m_drives.size())
        return;
    m_selectedDrive = index;
    if (!m_module.checkDriveType) {
        moveToDrive(index);
        return;
    }
    const Drive& drive = m_drives.at(index);
    const DriveRuleResult rule = applyDriveRule(m_driveSource.type(drive), drive.name);
    if (!rule.warning.isEmpty())
        m_prompter.inform(rule.warning);
    if (rule.moves)
        moveToDrive(index);
}

void PathChooserForm::moveToDrive(int index) {
    const Drive& drive = m_drives.at(index);
    QString target = m_folderOnDrive.value(drive.root);
    if (target.isEmpty()) {
        const QString current = folderPath(QDir::currentPath());
        target = driveOf(current) == index ? current : folderPath(drive.root);
    }
    // An empty removable drive has no folders to show: the list stays where it was.
    if (!QFileInfo(target).isDir()) {
        m_prompter.inform(QStringLiteral("The drive %1 cannot be read").arg(drive.name));
        return;
    }
    m_currentFolder = target;
    m_folderOnDrive.insert(drive.root, target);
}

QList<PathChooserForm::FolderEntry> PathChooserForm::folderEntries() const {
    QList<FolderEntry> entries;
    const QString root = driveRootOf(m_currentFolder);
    entries.append({root, QDir::toNativeSeparators(root), 0});
    QString path = root;
    const QString rest = m_currentFolder.mid(root.size());
    for (const QString& name : rest.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        path = withTrailingSlash(path) + name;
        entries.append({path, name, static_cast<int>(entries.size())});
    }
    const int depth = static_cast<int>(entries.size());
    const QDir current(m_currentFolder);
    const QStringList children =
        current.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    for (const QString& name : children)
        entries.append({current.filePath(name), name, depth});
    return entries;
}

int PathChooserForm::currentEntry() const {
    const QString root = driveRootOf(m_currentFolder);
    return static_cast<int>(
        m_currentFolder.mid(root.size()).split(QLatin1Char('/'), Qt::SkipEmptyParts).size());
}

void PathChooserForm::openFolder(const QString& path) {
    if (!QFileInfo(path).isDir())
        return;
    m_currentFolder = folderPath(path);
    // Off Windows a folder may lie on another volume than its parent: the drive list follows.
    m_selectedDrive = driveOf(m_currentFolder);
    if (m_selectedDrive >= 0)
        m_folderOnDrive.insert(m_drives.at(m_selectedDrive).root, m_currentFolder);
}

void PathChooserForm::ok() {
    const bool atRoot = driveRootOf(m_currentFolder) == m_currentFolder;
    m_chosenPath =
        QDir::toNativeSeparators(atRoot ? withTrailingSlash(m_currentFolder) : m_currentFolder);
}

void PathChooserForm::cancel() {
    m_chosenPath = QString();
}

} // namespace quillmere
